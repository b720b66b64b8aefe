#pragma once
// Whether the release that the server announces is newer than the installed one. Needs no
// window: the update window shows its result, the maker's tool prints it.
#include <string_view>

namespace larkspan {

enum class ReleaseOutcome { kNewerVersion, kNewerBuild, kNothingNewer };

// The versions compare by their leading numbers; the server's must also be a number as a whole
// (blanks around it allowed) and not 0 to count as newer. One that is not (a letter in it, say
// "3.2b") is taken as not newer; when its reading equals the installed version the builds
// still decide. Equal versions are decided by the builds' last three characters, then their
// characters 3 and 4, then their first two, each read as a 16-bit whole number (halves to the
// even neighbour; a part beyond 16 bits reads 0).
ReleaseOutcome DecideRelease(std::u16string_view installedVersion,
                             std::u16string_view installedBuild, std::u16string_view serverVersion,
                             std::u16string_view serverBuild);

// False when a part of the build reads beyond 16 bits, so that the comparison takes it as 0.
bool BuildPartsFit(std::u16string_view build);

}  // namespace larkspan
