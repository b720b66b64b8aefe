// The maker's tool: what make refuses, what check reports for the update information and the
// installer, and a made and signed text read back through check with its installer's digest.
#include "Publish.h"
#include "Signer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "os/CodePage.h"
#include "settings/Language.h"
#include "support/HttpFixture.h"

namespace larkspan::test {
namespace {

using publish::PublishError;
using publish::Release;

TEST(PublishMake, RefusesWhatTheUpdaterWouldMisread) {
  const struct {
    std::u16string Release::*field;
    const char16_t* value;
    const char* says;
  } cases[] = {
      {&Release::news, u"one#two", "news contains \"#\""},
      {&Release::build, u"  ", "build is empty or blank"},
      {&Release::url, u"", "installer address is empty or blank"},
      {&Release::version, u"3.2b", "not a plain number"},
      {&Release::version, u"0.0", "not a plain number other than 0"},
      {&Release::version, u"3.10", "shown and compared as 3.1"},
      {&Release::version, u"1,5", "shown and compared as 1;"},  // "," groups digits in English
      {&Release::build, u"01021e5", "part of the build \"01021e5\""},
      {&Release::url, u"ftp://h/setup.exe", "not an http or https address"},
      {&Release::url, u"http://h/..\\setup.exe", "would be offered to save as \"_setup.exe\""},
      {&Release::url, u"http://h/report\u202Efdp.exe",
       "ends in \"report\\u202Efdp.exe\", which users would be offered to save as "
       "\"report_fdp.exe\""},
      {&Release::url, u"http://h/files/", "ends in \"/\": users would be offered no file name"},
      {&Release::edition, u"<HEAD>2026", "begins with \"<head>\""},
      // The updater trims the blanks at both ends of the whole text.
      {&Release::edition, u" 2026", "read the edition as \"2026\""},
      {&Release::news, u"Faster ", "read the news as \"Faster\""},
  };
  for (const auto& c : cases) {
    Release release{u"2026", u"3.2", u"0201000", u"http://h/setup.exe", u"New<Crlf>Faster"};
    release.*c.field = c.value;
    try {
      publish::MakeUpdateText(release);
      ADD_FAILURE() << "accepted " << ToUtf8(c.value);
    } catch (const PublishError& error) {
      EXPECT_NE(ToUtf8(error.message).find(c.says), std::string::npos) << ToUtf8(error.message);
      EXPECT_EQ(error.status, 1);
    }
  }
}

class PublishCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto lang = std::filesystem::path(LARKSPAN_SOURCE_DIR) / "Lang" / "English.lng";
    ASSERT_EQ(LoadLanguageFile(lang.u16string(), langText), 0);
    transfer.requestTimeoutSeconds = 2;
    folder = std::filesystem::temp_directory_path() /
             ("larkspan-publish-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::u16string LocalFile(const std::string& bytes) {
    std::ofstream(folder / "setup.exe", std::ios::binary) << bytes;
    return (folder / "setup.exe").u16string();
  }
  // Runs check on `text` served at /u.txt ("%" stands for the installer's address): it ends
  // with `status`, and its report shows `shows`.
  void Check(std::string text, const char16_t* installed, int status, const char* shows,
             const std::u16string& localFile = u"", const std::string& key = "") {
    if (const auto at = text.find('%'); at != std::string::npos) {
      text.replace(at, 1, http.Url("/setup.exe"));
    }
    http.Serve("/u.txt", Reply::Text(text));
    std::ostringstream out;
    const int ended = publish::Check(langText, transfer, FromUtf8(http.Url("/u.txt")), installed,
                                     localFile, key, out);
    EXPECT_EQ(ended, status) << shows;
    EXPECT_NE(out.str().find(shows), std::string::npos) << out.str();
  }

  LangTable langText;
  InetSettings transfer;
  HttpFixture http;
  std::filesystem::path folder;
};

TEST_F(PublishCheck, ShowsTheOutcomeAsTheWindowWould) {
  http.Serve("/setup.exe", Reply::Text("MZ installer"));
  const struct {
    const char* text;
    const char16_t* installed;
    int status;
    const char* shows;
  } cases[] = {
      {"2026#3.2#0201000#%#n", u"0*0", 0,
       "A new version is available!\n  Vantrel2026 Version 3.2 Build 0201000\n"},
      {"2026#3.1#0101000#%#n", u"3.1*0101000", 1, "You have the latest version.\nnews:\n  n\n"},
      {"  ", u"0*0", 1, "error 300, because the text is empty\n"},
      {"  <Head>2026#3.2#0201000#%#n", u"0*0", 1,
       "error 300, because the text begins with \"<head>\""},
      {"2026#3.2# #%#n", u"0*0", 1, "error 300, because the build field is empty"},
      {"2026#3.2", u"0*0", 1,
       "message \"JNSplit - Function Error: Number of position is out of script! The maixmum split "
       "text number is: 1\"\n  the updater"},
  };
  for (const auto& c : cases) Check(c.text, c.installed, c.status, c.shows);
}

TEST_F(PublishCheck, PassesOnlyAnInstallerThatTheUpdaterDownloadsWhole) {
  const std::string installer = PatternBody(5000);
  Reply shortBody = Reply::Text(installer);
  shortBody.bodyBytes = 3000;
  const struct {
    Reply reply;
    std::string local;
    int status;
    const char* shows;
  } cases[] = {
      {Reply::Text(installer), installer, 0, "local file: "},
      {Reply::Text(installer), installer + "x", 1, "different bytes\nresult"},
      {Reply::Raw("HTTP/1.1 200 OK\r\nConnection: close\r\n", installer), "", 1,
       "Content-Length: missing"},
      {Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 4294967296\r\n", installer), "", 1,
       "not a whole number within 32 bits"},
      {shortBody, "", 1, "received: 2048 of 5000 bytes, then"},
      {Reply::Raw("HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 4\r\n",
                  "gone"),
       "", 1, "serves a web page"},
      {Reply::Text("", 200), "", 1, "the download gives an empty file"},
      // More than 32767 chunks can overflow the counter between two ticks of the rate display.
      {Reply::Raw("HTTP/1.1 200 OK\r\nContent-Type: x\x1b[2J\r\nContent-Length: 33553409\r\n"), "",
       1, "Content-Type x\\x1B[2J\n  Content-Length: 33553409 (32 MB)\n  warning: larger"},
      {Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 33553408\r\n"), "", 1,
       "Content-Length: 33553408 (32 MB)\n  received: 0 of"}};
  for (const auto& c : cases) {
    http.Serve("/setup.exe", c.reply);
    Check("2026#3.2#0201000#%#n", u"0*0", c.status, c.shows,
          c.local.empty() ? u"" : LocalFile(c.local));
  }
}

// make --key signs with the build's key for the tests; check --key then takes the text and the
// installer as an updater with that key would.
TEST_F(PublishCheck, ASignedReleaseChecksAsAKeyedUpdaterTakesIt) {
  const std::u16string keyFile =
      FromUtf8(std::getenv("LARKSPAN_BINARY_DIR")) + u"/test-release-key/private.pem";
  const publish::Signer signer(publish::ReadFileBytes(keyFile, u"key"), keyFile);
  EXPECT_THROW(publish::Signer("no key", keyFile), PublishError);
  EXPECT_EQ(publish::ReleaseKeyText("-----BEGIN PUBLIC KEY-----\nMFkw\r\nEw==\n-----END"),
            "MFkwEw==");
  const std::string installer = PatternBody(3000);
  const std::string text = ToUtf8(
      publish::SignUpdateText(publish::MakeUpdateText({u"2026", u"3.2", u"0201000",
                                                       FromUtf8(http.Url("/setup.exe")), u"n"}),
                              installer, signer));
  std::string changed = installer;
  changed[2000] ^= 1;
  const struct {
    std::string text, served;
    int status;
    const char* shows;
  } cases[] = {
      {text, installer, 0, "bytes, SHA-256 fcfcbc46995"},  // as sha256sum prints it
      {text, changed, 1, ": different\nresult"},
      {text, installer + "x", 1, "signed size: 3000 bytes, not the Content-Length"},
      {"2027" + text.substr(4), installer, 1, "does not verify with the key"},
  };
  for (const auto& c : cases) {
    http.Serve("/setup.exe", Reply::Text(c.served));
    Check(c.text, u"0*0", c.status, c.shows, u"", signer.PublicKeyText());
  }
}

}  // namespace
}  // namespace larkspan::test
