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
  SetShellLauncher([&](const std::vector<std::string>& argv) { launched.push_back(argv); });
  ShellOpen(u"http://127.0.0.1/ostrafel.html", u"");
  ShellOpen(u"/tmp/s\u00e9tup.exe", u"--quiet  --now");
  ShellOpen(u"", u"");  // nothing to open
  SetShellLauncher([](const std::vector<std::string>&) { throw std::runtime_error("no start"); });
  EXPECT_NO_THROW(ShellOpen(u"/nowhere", u""));  // a launcher that fails is passed over
  SetShellLauncher(nullptr);
  ASSERT_EQ(launched.size(), 2u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", "http://127.0.0.1/ostrafel.html"}));
  EXPECT_EQ(launched[1],
            (std::vector<std::string>{"xdg-open", "/tmp/s\xc3\xa9tup.exe", "--quiet", "--now"}));
}

// The real launcher, with a stand-in xdg-open on PATH that records its arguments.
TEST(ShellOpenTest, DefaultLauncherStartsXdgOpenDetachedWithoutZombies) {
  const fs::path folder =
      fs::temp_directory_path() / ("larkspan-shell-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string record = (folder / "args").string();
  std::ofstream(folder / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" >'" << record
                                     << ".tmp' && mv '" << record << ".tmp' '" << record << "'\n";
  fs::permissions(folder / "xdg-open", fs::perms::owner_all);
  setenv("PATH", (folder.string() + ":" + std::getenv("PATH")).c_str(), 1);
  ShellOpen(u"/home/user/Desktop/setup file.exe", u"");
  for (int i = 0; i < 250 && !fs::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::string args;
  std::getline(std::ifstream(record), args);
  EXPECT_EQ(args, "/home/user/Desktop/setup file.exe|");
  // Every child of ours has been reaped: none is left running or as a zombie.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
