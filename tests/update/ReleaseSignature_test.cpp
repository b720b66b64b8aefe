// Signed releases in the check: the worked example of docs/publishing.md verifies on both
// platforms and signs the message that the page shows, and a changed byte anywhere in the
// text, or no record, is error 300 with the key and the usual display without it. (That its
// installer's 11 bytes complete a download: app/DownForm_test.cpp.)
#include <gtest/gtest.h>

#include "os/CodePage.h"
#include "support/WorkedExample.h"
#include "update/CheckOutcome.h"

namespace larkspan::test {
namespace {

using enum SignatureCheck;
const InstalledProduct kInstalled{u"Vantrel", u"3.1", u"0101000"};

TEST(ReleaseSignatureTest, AnythingButTheSignedTextIsError300WithTheKeyAlone) {
  const WorkedExample example = ReadWorkedExample();
  const std::u16string text = FromUtf8(example.text);
  // The record signs the message that the page shows.
  const std::optional<SignedInstaller> named =
      DecideCheck(text, kInstalled, LangTable(), example.key).installer;
  ASSERT_TRUE(named);
  EXPECT_EQ(SignedMessage(std::u16string_view(text).substr(0, text.rfind(u'#')), *named),
            example.message);
  const auto expectShown = [&](const std::u16string& served, SignatureCheck keyed,
                               const std::string& key) {
    SCOPED_TRACE(ToUtf8(served));
    const CheckOutcome withKey = DecideCheck(served, kInstalled, LangTable(), key);
    EXPECT_EQ(withKey.signature, keyed);
    EXPECT_EQ(withKey.release.has_value(), keyed == kVerified);
    EXPECT_EQ(withKey.InstallerAddress().has_value(), keyed == kVerified);
    const CheckOutcome without = DecideCheck(served, kInstalled, LangTable());
    EXPECT_TRUE(without.release && without.signature == kNoKey && !without.installer);
  };
  // One byte changed in the middle of each of the five fields, then of each part of the record.
  const SignatureCheck afterChange[] = {kNotVerified, kNotVerified, kNotVerified,
                                        kNotVerified, kNotVerified, kMalformed,
                                        kNotVerified, kNotVerified, kNotVerified};
  std::size_t part = 0;
  for (std::size_t from = 0; from < text.size(); ++part) {
    const std::size_t end = std::min(text.find(part < 5 ? u'#' : u';', from), text.size());
    std::u16string changed = text;
    char16_t& c = changed[(from + end) / 2];
    c = c == u'9' || c == u'f' ? c - 1 : c + 1;  // a digit stays a (hexadecimal) digit
    expectShown(changed, afterChange[part], example.key);
    from = end + 1;
  }
  EXPECT_EQ(part, std::size(afterChange));
  const std::u16string fiveFields = text.substr(0, text.rfind(u'#'));
  const std::pair<std::u16string, SignatureCheck> cases[] = {
      {fiveFields, kMissing},
      {fiveFields + u"#", kMissing},
      {text + u"#", kMalformed},
      {u"  " + text + u"\r\n  ", kVerified},
  };
  for (const auto& [served, keyed] : cases) expectShown(served, keyed, example.key);
  expectShown(text, kNotVerified, "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE");  // no key at all
}

}  // namespace
}  // namespace larkspan::test
