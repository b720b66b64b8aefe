#pragma once
#include <string>

namespace larkspan {

// The folder of the running executable, without a trailing "/".
std::u16string ProgramFolder();
// The user's desktop folder with a trailing "/": the XDG desktop folder when the user's
// user-dirs.dirs names one, otherwise $HOME/Desktop/.
std::u16string UserDesktopFolder();

}  // namespace larkspan
