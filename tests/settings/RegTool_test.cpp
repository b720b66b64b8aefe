// Runs the larkspan-reg program itself against a store in a fresh folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "SettingsTestFolder.h"
#include "settings/AdvancedRegistryCM.h"
#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

constexpr char kKey[] =
    "HKCU\\Software\\Quillmere\\Vantrel 2009\\"
    "{KTD270391-KLP0198273645-KPID3917264-MTD090471-MLP0178264519-MPID3926618}";

// The exit status and what the tool wrote to its output (or to its error output). Arguments are
// single-quoted for the shell, so backslashes and blanks pass unchanged.
std::pair<int, std::string> RunTool(std::initializer_list<std::string> args, bool errors = false) {
  std::string command =
      "'" + std::string(std::getenv("LARKSPAN_BINARY_DIR")) + "/bin/larkspan-reg'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += errors ? " </dev/null 2>&1 >/dev/null" : " </dev/null 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[512];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(RegToolTest, WritesShowsAndDeletesTheLanguageSettingTheProgramReads) {
  const char* binaryDir = std::getenv("LARKSPAN_BINARY_DIR");
  ASSERT_TRUE(binaryDir && std::filesystem::exists(std::string(binaryDir) + "/bin/larkspan-reg"))
      << "run through ctest, with larkspan-reg built";
  test::SettingsTestFolder folder;
  test::HeadlessBackend ui;
  AdvancedRegistryCM registry;
  EXPECT_EQ(RunTool({"add", kKey, "/v", "Default Language", "/d", "Deutsch.lng"}).first, 0);
  EXPECT_EQ(registry.GetStringValue(kLangSettingKeyPath, kLangSettingValueName), u"Deutsch.lng");

  const auto [status, output] = RunTool({"query", kKey, "/v", "default language"});
  EXPECT_EQ(status, 0);
  EXPECT_NE(output.find("    default language    REG_SZ    Deutsch.lng\n"), std::string::npos)
      << output;
  // Asked whether to overwrite, without an answer: exit 1, one line, nothing changed.
  const auto [refused, error] = RunTool({"add", kKey, "/v", "Default Language", "/d", "x"}, true);
  EXPECT_EQ(refused, 1);
  EXPECT_TRUE(!error.empty() && error.find('\n') == error.size() - 1) << error;
  EXPECT_EQ(registry.GetStringValue(kLangSettingKeyPath, kLangSettingValueName), u"Deutsch.lng");

  EXPECT_EQ(RunTool({"delete", kKey, "/v", "Default Language", "/f"}).first, 0);
  EXPECT_FALSE(registry.KeyValueExist(kLangSettingKeyPath, kLangSettingValueName));
  EXPECT_EQ(RunTool({"delete", "hkcu\\software\\quillmere", "/f"}).first, 0);  // with its subkeys
  EXPECT_FALSE(registry.KeyExist(u"HKEY_CURRENT_USER\\Software\\Quillmere"));
  EXPECT_TRUE(registry.KeyExist(u"HKEY_CURRENT_USER\\Software"));
}

}  // namespace
}  // namespace larkspan
