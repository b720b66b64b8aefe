#include "update/ResultLine.h"

#include "settings/LangEntries.h"
#include "text/JString.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

}  // namespace

std::u16string ResultLines(const LangTable& langText, ReleaseOutcome outcome,
                           const std::u16string& productName, const std::u16string& edition,
                           const std::u16string& version, const std::u16string& build) {
  const std::u16string release = langText[lang::kVersionWord] + u" " +
                                 NumberToText(LeadingNumber(version)) + u" " +
                                 langText[lang::kBuildWord] + u" " + build;
  switch (outcome) {
    case ReleaseOutcome::kNewerVersion:
      // No blank between product name and edition in this line; the newer-build line has one.
      return langText[lang::kNewerVersion] + kCrLf + productName + edition + u" " + release;
    case ReleaseOutcome::kNewerBuild:
      return langText[lang::kNewerBuild] + kCrLf + productName + u" " + edition + u" " + release;
    case ReleaseOutcome::kNothingNewer:
      break;
  }
  return langText[lang::kNothingNewer];
}

std::u16string NewsText(const std::u16string& news) {
  return JReplace(news, kNewsLineBreak, kCrLf, 0, 0, 0, false);
}

}  // namespace larkspan
