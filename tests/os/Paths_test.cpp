// The Linux path services: the desktop folder, whether a path exists. (The program's folder: the
// program finds its language files there in every end-to-end run.)
#include "os/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "os/CodePage.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;

TEST(AppPathsTest, DesktopFolderFollowsTheXdgSettingAndPathsAreFound) {
  const fs::path home = fs::temp_directory_path() / "larkspan-paths-test";
  fs::create_directories(home / "config");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  const std::u16string wideHome = FromUtf8(home.string());
  // First with no user-dirs.dirs at all.
  // clang-format off
  const std::pair<const char*, std::u16string> cases[] = {
      {nullptr, wideHome + u"/Desktop/"}, {"XDG_DESKTOP_DIR=\"/srv/desk/\"", u"/srv/desk/"},
      {"XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"", wideHome + u"/Schreibtisch/"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"", wideHome + u"/Desktop/"}};
  // clang-format on
  for (const auto& [line, expected] : cases) {
    if (line) std::ofstream(home / "config/user-dirs.dirs") << "# by a test\n" << line << "\n";
    EXPECT_EQ(UserDesktopFolder(), expected) << (line ? line : "no file");
  }

  std::ofstream(home / "r\xc3\xa9sum\xc3\xa9.txt") << "x";
  EXPECT_TRUE(CheckPathExist(wideHome));
  EXPECT_TRUE(CheckPathExist(wideHome + u"/r\u00e9sum\u00e9.txt"));
  EXPECT_FALSE(CheckPathExist(wideHome + u"/r\u00e9sum\u00e9.txt/inside"));
  EXPECT_FALSE(CheckPathExist(u""));
  fs::remove_all(home);
}

}  // namespace
}  // namespace larkspan
