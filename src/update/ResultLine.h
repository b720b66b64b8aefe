#pragma once
// The texts of the check's outcome (update/CheckOutcome.h): the result lines and the news.
#include <string>

#include "settings/Language.h"
#include "update/VersionDecision.h"

namespace larkspan {

// Stands for a line break in the news of the update information (any letter case).
inline constexpr char16_t kNewsLineBreak[] = u"<Crlf>";

// The result display for `outcome`. A newer version or build gives two lines: the language's
// announcement, then "<product><edition> Version <version> Build <build>" with the version as
// its leading number, and a blank between product and edition only for a newer build. Nothing
// newer gives the language's one line. Texts come from `langText`.
std::u16string ResultLines(const LangTable& langText, ReleaseOutcome outcome,
                           const std::u16string& productName, const std::u16string& edition,
                           const std::u16string& version, const std::u16string& build);

// The news as the window shows it: every line-break marker turned into CR LF.
std::u16string NewsText(const std::u16string& news);

}  // namespace larkspan
