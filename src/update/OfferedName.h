#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "os/Paths.h"

namespace larkspan {

// The longest file name, in bytes of UTF-8, that Linux file systems hold. Windows counts its
// names in UTF-16 units and sets no limit in bytes.
inline constexpr std::size_t kLinuxNameBytes = 255;

// The name that the Save dialog offers for an installer whose address ends in `lastPart`: a
// file name that stays in the folder the dialog shows and reads as what it is, whatever the
// update information says. Characters that a Windows file name cannot hold (\ / : * ? " < > |
// and control characters) and those that hide themselves or turn the text around them
// (IsInvisibleControl) become "_"; dots and blanks (Unicode's space separators) at both ends
// go; a Windows device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM1 to COM9, LPT1
// to LPT9, COM¹ to COM³, LPT¹ to LPT³, in any letter case, with or without an extension) gets
// a "_" in front; a name longer than 200 UTF-16 units or `maxUtf8Bytes` bytes of UTF-8 is cut
// before its extension, between two characters. A name that needs none of this is offered as
// it stands, the empty name too.
std::u16string OfferedFileName(std::u16string_view lastPart,
                               std::size_t maxUtf8Bytes = FileNameMaxBytes());

// True for the characters that show nothing of their own but change how the text around them
// reads: Unicode's format characters (general category Cf: the bidirectional controls, the
// zero-width characters, the byte order mark, the tags) and the line and paragraph separators.
bool IsInvisibleControl(char32_t c);

// The character that begins at text[at], and the units it takes: 2 for a pair of surrogates, 1
// for any other unit, an unpaired surrogate included.
std::pair<char32_t, std::size_t> CharacterAt(std::u16string_view text, std::size_t at);

}  // namespace larkspan
