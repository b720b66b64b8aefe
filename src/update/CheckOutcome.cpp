#include "update/CheckOutcome.h"

#include "update/ResultLine.h"

namespace larkspan {

std::optional<std::u16string> CheckOutcome::InstallerAddress() const {
  if (!info.fieldsTaken) return std::nullopt;
  if (signature != SignatureCheck::kNoKey && signature != SignatureCheck::kVerified) {
    return std::nullopt;
  }
  return info.downloadUrl;
}

std::u16string CheckOutcome::News() const {
  return NewsText(info.news);
}

CheckOutcome DecideCheck(const std::u16string& updateText, const InstalledProduct& installed,
                         const LangTable& langText, std::string_view releaseKey) {
  CheckOutcome outcome;
  outcome.info = ReadUpdateInfo(updateText);
  const UpdateInfo& info = outcome.info;
  if (!releaseKey.empty()) outcome.signature = SignatureCheck::kNotReached;
  if (info.outcome == UpdateInfoOutcome::kServerError) return outcome;
  if (!releaseKey.empty()) {
    outcome.signature = CheckReleaseSignature(updateText, releaseKey, outcome.installer);
    if (outcome.signature != SignatureCheck::kVerified) return outcome;
  }
  const ReleaseOutcome release =
      DecideRelease(installed.version, installed.build, info.version, info.build);
  outcome.release = release;
  outcome.downloadOffered = release != ReleaseOutcome::kNothingNewer;
  outcome.resultLines =
      ResultLines(langText, release, installed.name, info.edition, info.version, info.build);
  return outcome;
}

}  // namespace larkspan
