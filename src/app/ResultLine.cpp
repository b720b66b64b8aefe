#include "app/ResultLine.h"

#include "app/AppGlobals.h"
#include "app/LangEntries.h"
#include "text/JString.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

}  // namespace

std::u16string ResultLines(ReleaseOutcome outcome, const std::u16string& productName,
                           const std::u16string& edition, const std::u16string& version,
                           const std::u16string& build) {
  const std::u16string release = Lang(lang::kVersionWord) + u" " +
                                 NumberToText(LeadingNumber(version)) + u" " +
                                 Lang(lang::kBuildWord) + u" " + build;
  switch (outcome) {
    case ReleaseOutcome::kNewerVersion:
      // No blank between product name and edition in this line; the newer-build line has one.
      return Lang(lang::kNewerVersion) + kCrLf + productName + edition + u" " + release;
    case ReleaseOutcome::kNewerBuild:
      return Lang(lang::kNewerBuild) + kCrLf + productName + u" " + edition + u" " + release;
    case ReleaseOutcome::kNothingNewer:
      break;
  }
  return Lang(lang::kNothingNewer);
}

std::u16string NewsText(const std::u16string& news) {
  return JReplace(news, kNewsLineBreak, kCrLf, 0, 0, 0, false);
}

}  // namespace larkspan
