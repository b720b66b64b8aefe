#include "update/VersionDecision.h"

#include <algorithm>
#include <cstdint>

#include "base/Failure.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

struct BuildParts {
  std::int16_t first = 0, middle = 0, last = 0;
};

// A part too large for 16 bits fails, and the guarded caller leaves that part at 0.
std::int16_t PartValue(std::u16string_view characters) {
  const std::optional<std::int16_t> value = RoundToInt16(LeadingNumber(characters));
  if (!value) throw Failure(kOverflow, "build part out of range");
  return *value;
}

// Its last three characters, its characters 3 and 4, and its first two; `fit` turns false
// when one of them is beyond 16 bits and so stays 0.
BuildParts ReadBuild(std::u16string_view text, bool* fit = nullptr) {
  BuildParts parts;
  bool all = ResumeNext(
      [&] { parts.last = PartValue(text.substr(text.size() - std::min<size_t>(3, text.size()))); });
  all &= ResumeNext([&] { parts.middle = PartValue(text.size() > 2 ? text.substr(2, 2) : u""); });
  all &= ResumeNext([&] { parts.first = PartValue(text.substr(0, 2)); });
  if (fit != nullptr) *fit = all;
  return parts;
}

ReleaseOutcome NewerByBuild(const BuildParts& installed, const BuildParts& server) {
  if (server.last != installed.last) {
    return server.last > installed.last ? ReleaseOutcome::kNewerBuild
                                        : ReleaseOutcome::kNothingNewer;
  }
  if (server.middle != installed.middle) {
    return server.middle > installed.middle ? ReleaseOutcome::kNewerBuild
                                            : ReleaseOutcome::kNothingNewer;
  }
  return server.first > installed.first ? ReleaseOutcome::kNewerBuild
                                        : ReleaseOutcome::kNothingNewer;
}

}  // namespace

ReleaseOutcome DecideRelease(std::u16string_view installedVersion,
                             std::u16string_view installedBuild, std::u16string_view serverVersion,
                             std::u16string_view serverBuild) {
  const double installed = LeadingNumber(installedVersion);
  const double server = LeadingNumber(serverVersion);
  bool wholeNumberNotZero = false;
  ResumeNext([&] { wholeNumberNotZero = StrictNumber(serverVersion) != 0; });
  if (installed < server && wholeNumberNotZero) return ReleaseOutcome::kNewerVersion;
  if (installed != server) return ReleaseOutcome::kNothingNewer;
  return NewerByBuild(ReadBuild(installedBuild), ReadBuild(serverBuild));
}

bool BuildPartsFit(std::u16string_view build) {
  bool fit = true;
  ReadBuild(build, &fit);
  return fit;
}

}  // namespace larkspan
