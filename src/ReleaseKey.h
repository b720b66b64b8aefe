#pragma once
// The deployment's release key: the text of the build's LARKSPAN_RELEASE_KEY, empty in a build
// without one. It is defined in a library of its own, made by CMake (cmake/ReleaseKey.cmake),
// so that each program takes its key by what it links: the tests' larkspan-keyed is the same
// program with a key made for them.
namespace larkspan::deployment {
extern const char kReleaseKey[];
}  // namespace larkspan::deployment
