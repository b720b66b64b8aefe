// The name offered in the Save dialog for the last part of an installer address.
#include "app/OfferedName.h"

#include <gtest/gtest.h>

#include "os/CodePage.h"

namespace larkspan {
namespace {

TEST(OfferedNameTest, HostileNamesStayInTheirFolderAndOthersAsTheyAre) {
  const std::u16string x196(196, u'x'), y300(300, u'y');
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"..\\..\\evil.exe", u"_.._evil.exe"},
      {u".profile", u"profile"},
      {u"C:evil.exe", u"C_evil.exe"},
      {u"a<b>c\"d|e?f*g/h.exe", u"a_b_c_d_e_f_g_h.exe"},
      {u"\tset\x01up\x7f\x85.exe", u"_set_up__.exe"},
      {u" . setup.exe. . ", u"setup.exe"},
      {u"...", u""},
      {u"con", u"_con"},
      {u"Lpt9.tar.gz", u"_Lpt9.tar.gz"},
      {u"NUL .txt", u"_NUL .txt"},
      {u"aux.", u"_aux"},
      {y300 + u".exe", y300.substr(0, 196) + u".exe"},
      {u"a." + y300, u"a." + y300.substr(0, 198)},  // no room for the extension
      {u"COMx" + x196 + u".exe", u"COMx" + x196.substr(0, 192) + u".exe"},
      {u"CON" + x196 + u"." + x196, u"_CO." + x196},  // the cut makes CON: one more cut
      {x196.substr(1) + u"\U0001F600z.exe", x196.substr(1) + u".exe"},  // not split in two
      // As they are:
      {u"VantrelSetup.exe", u"VantrelSetup.exe"},
      {u"", u""},
      {u"setup", u"setup"},
      {u"Gr\u00fc\u00dfe v2..1 (x64).exe", u"Gr\u00fc\u00dfe v2..1 (x64).exe"},
      {u"CONSOLE.exe", u"CONSOLE.exe"},
      {u"COM0", u"COM0"},
  };
  for (const auto& [lastPart, offered] : cases) {
    EXPECT_EQ(OfferedFileName(lastPart), offered) << ToUtf8(lastPart);
    EXPECT_EQ(OfferedFileName(offered), offered) << ToUtf8(offered);  // nothing left to change
  }
}

}  // namespace
}  // namespace larkspan
