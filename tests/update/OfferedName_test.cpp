// The name that the Save dialog offers: hostile last parts of an address become a plain file
// name of the folder that reads as it is and fits the file system; ordinary ones stay.
#include "update/OfferedName.h"

#include <gtest/gtest.h>

#include "base/Utf8.h"

namespace larkspan::test {
namespace {

TEST(OfferedNameTest, HostileNamesStayInTheirFolderAndOthersAsTheyAre) {
  const std::u16string x195(195, u'x'), y300(300, u'y'), cjk(120, u'\u6587');
  std::u16string smileys;
  for (int i = 0; i < 100; ++i) smileys += u"\U0001F600";
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"..\\..\\evil.exe", u"_.._evil.exe"},
      {u".profile", u"profile"},
      {u"a<b>c:d\"e|f?g*h/i.exe", u"a_b_c_d_e_f_g_h_i.exe"},
      {u"\tset\x01up\x7f\x85.exe", u"_set_up__.exe"},
      {u" . setup.exe. . ", u"setup.exe"},
      {u"...", u""},
      // Characters that hide themselves or turn the text around them, one "_" each; blanks of
      // every kind at the ends go.
      {u"report\u202Efdp.exe", u"report_fdp.exe"},
      {u"\u3000\u00A0setup\u00A0.exe\u200B\u00A0", u"setup\u00A0.exe_"},
      {u"a\U000E0041\u2066b\xD800.exe", u"a__b_.exe"},
      {u"con", u"_con"},
      {u"Lpt9.tar.gz", u"_Lpt9.tar.gz"},
      {u"NUL .txt", u"_NUL .txt"},
      {u"com\u00B9.exe", u"_com\u00B9.exe"},
      {u"LPT\u00B3", u"_LPT\u00B3"},
      {u"conin$.log", u"_conin$.log"},
      {u"CONOUT$", u"_CONOUT$"},
      {u"Clock$.exe", u"_Clock$.exe"},
      {u"prn.txt", u"_prn.txt"},
      {u"Aux", u"_Aux"},
      {u"COM1.exe", u"_COM1.exe"},
      {u"lpt\u00B2.txt", u"_lpt\u00B2.txt"},
      {y300 + u".exe", y300.substr(0, 196) + u".exe"},
      {u"a." + y300, u"a." + y300.substr(0, 198)},  // no room left for the extension
      {u"CON" + x195 + u"x." + x195 + u"x", u"_CO." + x195 + u"x"},  // the cut makes CON
      {x195 + u"\U0001F600z.exe", x195 + u".exe"},  // a character is not split in two
      // 364 bytes of UTF-8 in 124 units: cut to 255 bytes, whole characters, the extension kept.
      {cjk + u".exe", cjk.substr(0, 83) + u".exe"},
      {smileys + u".exe", smileys.substr(0, 2 * 62) + u".exe"},
      // As they are:
      {u"Gr\u00fc\u00dfe v2..1 (x64).exe", u"Gr\u00fc\u00dfe v2..1 (x64).exe"},
      {cjk.substr(0, 83) + u"ab.exe", cjk.substr(0, 83) + u"ab.exe"},  // 255 bytes
      {u"COM0.exe", u"COM0.exe"},
      {u"CONSOLE", u"CONSOLE"},
  };
  for (const auto& [lastPart, offered] : cases) {
    EXPECT_EQ(OfferedFileName(lastPart, kLinuxNameBytes), offered) << ToUtf8(lastPart);
    // Nothing left to change.
    EXPECT_EQ(OfferedFileName(offered, kLinuxNameBytes), offered) << ToUtf8(offered);
  }
}

}  // namespace
}  // namespace larkspan::test
