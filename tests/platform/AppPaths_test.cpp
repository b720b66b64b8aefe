#include "platform/AppPaths.h"
#include "platform/CheckPathExistM.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/CodePage.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;

TEST(AppPathsTest, ProgramFolderIsTheExecutablesFolder) {
  const char* binary = std::getenv("LARKSPAN_BINARY_DIR");
  ASSERT_NE(binary, nullptr) << "run through ctest";
  EXPECT_EQ(ProgramFolder(), FromUtf8(fs::canonical(fs::path(binary) / "tests").string()));
}

// HOME and XDG_CONFIG_HOME point into a folder of the test; this process needs nothing else
// from them.
TEST(AppPathsTest, DesktopFolderFollowsTheXdgSetting) {
  const fs::path home = fs::temp_directory_path() / ("larkspan-home-" + std::to_string(getpid()));
  fs::create_directories(home / "config");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  const std::u16string wideHome = FromUtf8(home.string());
  const std::pair<const char*, std::u16string> cases[] = {
      {nullptr, wideHome + u"/Desktop/"},  // no user-dirs.dirs at all
      {"XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"", wideHome + u"/Schreibtisch/"},
      {"XDG_DESKTOP_DIR=\"/srv/desk/\"", u"/srv/desk/"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"", wideHome + u"/Desktop/"},
  };
  for (const auto& [line, expected] : cases) {
    if (line)
      std::ofstream(home / "config/user-dirs.dirs") << "# written by a test\n" << line << "\n";
    EXPECT_EQ(UserDesktopFolder(), expected) << (line ? line : "no file");
  }
  fs::remove_all(home);
}

TEST(AppPathsTest, CheckPathExistFindsFilesAndFolders) {
  const fs::path folder = fs::temp_directory_path() / ("larkspan-path-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "r\xc3\xa9sum\xc3\xa9.txt") << "x";
  const std::u16string wide = FromUtf8(folder.string());
  EXPECT_TRUE(CheckPathExist(wide));
  EXPECT_TRUE(CheckPathExist(wide + u"/r\u00e9sum\u00e9.txt"));
  EXPECT_FALSE(CheckPathExist(wide + u"/missing.txt"));
  EXPECT_FALSE(CheckPathExist(wide + u"/r\u00e9sum\u00e9.txt/inside"));
  EXPECT_FALSE(CheckPathExist(u""));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
