#pragma once
#include <string>
#include <string_view>

namespace larkspan {

// The name that the Save dialog offers for an installer whose address ends in `lastPart`: a
// file name that stays in the folder the dialog shows, whatever the update information says.
// Characters that a Windows file name cannot hold (\ / : * ? " < > | and control characters)
// become "_"; dots and blanks at both ends go; a Windows device name (CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9, in any letter case, with or without an extension) gets a "_" in
// front; a name longer than 200 characters is cut, keeping its extension. A name that needs
// none of this is offered as it stands, the empty name too.
std::u16string OfferedFileName(std::u16string_view lastPart);

}  // namespace larkspan
