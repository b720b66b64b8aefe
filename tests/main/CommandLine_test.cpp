// larkspan.exe takes its argument text from the raw command line.
#include "main/CommandLine.h"

#include <gtest/gtest.h>

#include <utility>

namespace larkspan {
namespace {

TEST(CommandLine, TheArgumentTextFollowsTheProgramPathUnchanged) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"\"C:\\Program Files\\Vantrel\\larkspan.exe\"  V*3.1*01 a*http://x/u.txt ",
       u"V*3.1*01 a*http://x/u.txt "},
      {u"C:\\Vantrel\\larkspan.exe\tV*3.1 *\"b\"*u", u"V*3.1 *\"b\"*u"},
      {u"\"C:\\Program Files\\larkspan.exe\"V*1*2*3", u"V*1*2*3"},
      {u"larkspan.exe", u""},
      {u"\"C:\\Program Files\\larkspan.exe\"   ", u""},
      {u"", u""}};
  for (const auto& [commandLine, text] : cases) EXPECT_EQ(ArgumentText(commandLine), text);
}

}  // namespace
}  // namespace larkspan
