#include "platform/AppPaths.h"

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
  if (binary == nullptr) GTEST_SKIP() << "run through ctest";
  EXPECT_EQ(ProgramFolder(), FromUtf8(fs::canonical(fs::path(binary) / "tests").string()));
}

class DesktopFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = fs::temp_directory_path() / ("larkspan-home-" + std::to_string(getpid()));
    fs::create_directories(home / "config");
    Keep("HOME");
    Keep("XDG_CONFIG_HOME");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    fs::remove_all(home);
  }
  void Keep(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  }
  void UserDirs(const std::string& line) {
    std::ofstream(home / "config" / "user-dirs.dirs") << "# written by a test\n" << line << "\n";
  }
  std::u16string Home() const { return FromUtf8(home.string()); }

  fs::path home;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(DesktopFolderTest, DefaultsToDesktopInHome) {
  EXPECT_EQ(UserDesktopFolder(), Home() + u"/Desktop/");
}

TEST_F(DesktopFolderTest, FollowsTheXdgDesktopSetting) {
  UserDirs("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"");
  EXPECT_EQ(UserDesktopFolder(), Home() + u"/Schreibtisch/");
  UserDirs("XDG_DESKTOP_DIR=\"/srv/desk/\"");
  EXPECT_EQ(UserDesktopFolder(), u"/srv/desk/");
  UserDirs("XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"");
  EXPECT_EQ(UserDesktopFolder(), Home() + u"/Desktop/");
}

}  // namespace
}  // namespace larkspan
