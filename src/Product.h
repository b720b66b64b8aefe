#pragma once
// Who the program is and where it goes: the maker, the product it updates, the titles it shows,
// the product's language setting, and the deployment addresses. Every layer may include this
// header; a rebranded build changes these lines and the build's cache variables, nothing else.
#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

// The deployment addresses (kCompanyUrl, kProductUrl, the promotion addresses), generated from
// the build's cache variables.
#include "Deployment.h"

namespace larkspan {

// The maker, whose name the language texts carry and the windows' captions begin with.
inline constexpr char16_t kCompanyName[] = u"Quillmere";
// The product whose releases the updater announces.
inline constexpr char16_t kProductName[] = u"Vantrel";

// The application's title: the title of every message box that has none of its own, and the
// agent name of every request.
inline constexpr char16_t kAppTitle[] = u"Quillmere - Larkspan";
// The download window's name, and the title of its questions.
inline constexpr char16_t kDownloaderName[] = u"Download Manager";
inline constexpr char16_t kDownloaderTitle[] = u"Quillmere - Download Manager";

// Where the product keeps the name of its language file.
inline constexpr char16_t kLangSettingKeyPath[] =
    u"HKEY_CURRENT_USER\\Software\\Quillmere\\Vantrel 2009\\"
    u"{KTD270391-KLP0198273645-KPID3917264-MTD090471-MLP0178264519-MPID3926618}";

// The title in the character type of a transfer library (char for libcurl, wchar_t for
// WinINet), made at compile time. An agent name is ASCII, so each character carries over.
static_assert(std::ranges::all_of(std::u16string_view(kAppTitle),
                                  [](char16_t c) { return c < 0x80; }));
template <class Char>
inline constexpr std::array<Char, std::size(kAppTitle)> kAppTitleIn = [] {
  std::array<Char, std::size(kAppTitle)> title{};
  std::copy(std::begin(kAppTitle), std::end(kAppTitle), title.begin());
  return title;
}();

}  // namespace larkspan
