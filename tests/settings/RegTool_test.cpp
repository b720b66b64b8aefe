// Runs the larkspan-reg program itself against a store in a fresh folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "SettingsTestFolder.h"
#include "settings/AdvancedRegistryCM.h"
#include "settings/LangM.h"
#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

constexpr char kKey[] =
    "HKCU\\Software\\Quillmere\\Vantrel 2009\\"
    "{KTD270391-KLP0198273645-KPID3917264-MTD090471-MLP0178264519-MPID3926618}";

struct Outcome {
  int status = -1;
  std::string out, err;
};

class RegToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* binaryDir = std::getenv("LARKSPAN_BINARY_DIR");
    ASSERT_NE(binaryDir, nullptr);
    tool = std::filesystem::path(binaryDir) / "bin/larkspan-reg";
    if (!std::filesystem::exists(tool)) GTEST_SKIP() << "build the larkspan-reg target first";
  }

  // Arguments are single-quoted for the shell, so backslashes and blanks pass unchanged.
  Outcome Run(std::initializer_list<std::string> args) {
    std::string command = "'" + tool.string() + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    const std::filesystem::path errFile = folder.Root() / "stderr.txt";
    command += " </dev/null 2>'" + errFile.string() + "'";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    outcome.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return outcome;
  }

  test::SettingsTestFolder folder;
  test::HeadlessBackend ui;
  std::filesystem::path tool;
};

TEST_F(RegToolTest, WritesTheLanguageSettingTheProgramReads) {
  Outcome added = Run({"add", kKey, "/v", "Default Language", "/d", "Deutsch.lng"});
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(AdvancedRegistryCM().GetStringValue(kLangSettingKeyPath, kLangSettingValueName),
            u"Deutsch.lng");

  Outcome shown = Run({"query", kKey, "/v", "default language"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.out.find("    default language    REG_SZ    Deutsch.lng\n"), std::string::npos)
      << shown.out;

  EXPECT_EQ(Run({"delete", kKey, "/v", "Default Language", "/f"}).status, 0);
  AdvancedRegistryCM registry;
  EXPECT_FALSE(registry.KeyValueExist(kLangSettingKeyPath, kLangSettingValueName));
  EXPECT_EQ(Run({"delete", "hkcu\\software\\quillmere", "/f"}).status, 0);  // with its subkeys
  EXPECT_FALSE(registry.KeyExist(u"HKEY_CURRENT_USER\\Software\\Quillmere"));
  EXPECT_TRUE(registry.KeyExist(u"HKEY_CURRENT_USER\\Software"));
}

TEST_F(RegToolTest, FailuresExitWithOneLine) {
  ASSERT_EQ(Run({"add", kKey, "/v", "Default Language", "/d", "English.lng"}).status, 0);
  const std::initializer_list<std::string> failing[] = {
      {"query", "HKCU\\Software\\Missing"},
      {"query", kKey, "/v", "Missing"},
      {"add", "HKXY\\Software"},
      {"add", "HKCU\\Software\\"},
      {"add", kKey, "/v"},
      {"remove", kKey},
      {"add", kKey, "/v", "Default Language", "/d", "x"},  // exists, and no one says yes
      {"delete", "HKCU"},
  };
  for (const auto& args : failing) {
    Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1) << *args.begin() << " " << *(args.begin() + 1);
    ASSERT_FALSE(outcome.err.empty());
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
  }
  EXPECT_EQ(AdvancedRegistryCM().GetStringValue(kLangSettingKeyPath, kLangSettingValueName),
            u"English.lng");
}

}  // namespace
}  // namespace larkspan
