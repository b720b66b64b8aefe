#pragma once
#include <functional>
#include <string>

#include "platform/UiFactory.h"

namespace larkspan {

// The entry procedure: language, command line, the update window. `argumentText` is the
// argument part of the command line, unchanged. Returns with the update window open and
// topmost, or ends the program (empty argument text, refusal).
void Main(const std::u16string& argumentText, UiFactory& ui);

void InitGlobals();
void ClearGlobals();
// Clears the process-wide texts and ends the program at once; does not return.
[[noreturn]] void ExitProgram();

// What the entry procedure runs first to fill the language table. By default it loads the
// language file named by the product's setting from beside the program; tests put their own
// texts in instead. Returns the loader that was installed before (nullptr: the default).
using LanguageLoader = std::function<void()>;
LanguageLoader SetLanguageLoader(LanguageLoader loader);

}  // namespace larkspan
