#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace larkspan::demo {

// The demo installer's bytes: a fixed pseudo-random sequence, so that a test can rebuild the
// file the server sends and compare it byte for byte.
void FillInstallerBytes(std::uint64_t offset, char* out, std::size_t count);
std::string InstallerBytes(std::uint64_t offset, std::size_t count);

}  // namespace larkspan::demo
