#include "platform/ShellModuleM.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace larkspan {
namespace {

namespace fs = std::filesystem;

TEST(ShellOpenTest, HandsFileAndParametersToTheLauncher) {
  std::vector<std::vector<std::string>> launched;
  ShellLauncher previous =
      SetShellLauncher([&](const std::vector<std::string>& argv) { launched.push_back(argv); });
  ShellOpen(u"http://127.0.0.1/ostrafel.html", u"");
  ShellOpen(u"/tmp/s\u00e9tup.exe", u"--quiet  --now");
  ShellOpen(u"", u"");  // nothing to open
  SetShellLauncher(previous);
  ASSERT_EQ(launched.size(), 2u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", "http://127.0.0.1/ostrafel.html"}));
  EXPECT_EQ(launched[1],
            (std::vector<std::string>{"xdg-open", "/tmp/s\xc3\xa9tup.exe", "--quiet", "--now"}));
}

TEST(ShellOpenTest, FailingLauncherIsPassedOver) {
  ShellLauncher previous = SetShellLauncher(
      [](const std::vector<std::string>&) { throw std::runtime_error("cannot start"); });
  EXPECT_NO_THROW(ShellOpen(u"/nowhere", u""));
  SetShellLauncher(previous);
}

// The real launcher, with a stand-in xdg-open on PATH that records its arguments.
TEST(ShellOpenTest, DefaultLauncherStartsXdgOpenDetachedWithoutZombies) {
  fs::path folder = fs::temp_directory_path() / ("larkspan-shell-" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::path record = folder / "args";
  {
    std::ofstream script(folder / "xdg-open");
    script << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << record.string() << ".tmp'\nmv '"
           << record.string() << ".tmp' '" << record.string() << "'\n";
  }
  fs::permissions(folder / "xdg-open", fs::perms::owner_all);
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (folder.string() + ":" + oldPath).c_str(), 1);
  SetShellLauncher(nullptr);

  ShellOpen(u"/home/user/Desktop/setup file.exe", u"");

  setenv("PATH", oldPath.c_str(), 1);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::ifstream recorded(record);
  std::string args((std::istreambuf_iterator<char>(recorded)), std::istreambuf_iterator<char>());
  EXPECT_EQ(args, "/home/user/Desktop/setup file.exe|");
  // Every child of ours has been reaped: none is left running or as a zombie.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
