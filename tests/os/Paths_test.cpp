// The Linux path services: the desktop folder, whether a path exists; and what the target file
// makes of what it finds at the chosen path. (The program's folder: the program finds its
// language files there in every end-to-end run.)
#include "os/Paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Failure.h"
#include "os/CodePage.h"
#include "os/TargetFile.h"

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
}

// Every entry counts as existing, so the user is asked first. A link is then replaced by a new
// file and the file that it led to stays as it was; a FIFO or a device is refused at once.
TEST(TargetFileTest, ALinkIsReplacedNeverFollowedAndOnlyPlainFilesAreWritten) {
  const fs::path folder = fs::temp_directory_path() / "larkspan-target-test";
  fs::remove_all(folder);  // what a failed run left
  fs::create_directories(folder);
  std::ofstream(folder / "kept") << "kept";
  std::ofstream(folder / "regular") << "an older and longer file";
  fs::create_symlink(folder / "kept", folder / "link");
  fs::create_symlink(folder / "nowhere", folder / "dangling");
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  for (const fs::path& path : {folder / "regular", folder / "link", folder / "dangling",
                               folder / "fifo", fs::path("/dev/null")}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(CheckPathExist(path.u16string()));
    TargetFile file;
    if (path.filename() == "fifo" || path.filename() == "null") {
      EXPECT_THROW(file.Open(path), Failure);
      continue;
    }
    file.Open(path);
    file.Append(reinterpret_cast<const std::uint8_t*>("new"), 3);
    file.Close();
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
    EXPECT_EQ(fs::file_size(path), 3u);
  }
  EXPECT_EQ(fs::file_size(folder / "kept"), 4u);  // still "kept"
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
  EXPECT_TRUE(fs::is_fifo(folder / "fifo") && fs::is_character_file("/dev/null"));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
