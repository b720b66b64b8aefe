#include "update/CheckOutcome.h"

#include "update/ResultLine.h"

namespace larkspan {

std::optional<std::u16string> CheckOutcome::InstallerAddress() const {
  if (!info.fieldsTaken) return std::nullopt;
  return info.downloadUrl;
}

std::u16string CheckOutcome::News() const {
  return NewsText(info.news);
}

CheckOutcome DecideCheck(const std::u16string& updateText, const InstalledProduct& installed,
                         const LangTable& langText) {
  CheckOutcome outcome;
  outcome.info = ReadUpdateInfo(updateText);
  const UpdateInfo& info = outcome.info;
  if (info.outcome == UpdateInfoOutcome::kServerError) return outcome;
  const ReleaseOutcome release =
      DecideRelease(installed.version, installed.build, info.version, info.build);
  outcome.release = release;
  outcome.downloadOffered = release != ReleaseOutcome::kNothingNewer;
  outcome.resultLines =
      ResultLines(langText, release, installed.name, info.edition, info.version, info.build);
  return outcome;
}

}  // namespace larkspan
