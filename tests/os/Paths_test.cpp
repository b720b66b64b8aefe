// The Linux path services: the desktop folder, the program's folder, whether a path exists.
#include "os/Paths.h"
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
  const std::pair<const char*, std::u16string> cases[] = {
      {nullptr, wideHome + u"/Desktop/"},  // no user-dirs.dirs at all
      {"XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"", wideHome + u"/Schreibtisch/"},
      {"XDG_DESKTOP_DIR=\"/srv/desk/\"", u"/srv/desk/"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"", wideHome + u"/Desktop/"},
  };
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

  const char* binary = std::getenv("LARKSPAN_BINARY_DIR");
  ASSERT_NE(binary, nullptr) << "run through ctest";
  EXPECT_EQ(ProgramFolder(), fs::canonical(fs::path(binary) / "tests"));
}

}  // namespace
}  // namespace larkspan
