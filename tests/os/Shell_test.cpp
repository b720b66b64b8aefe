// ShellOpen with a stand-in xdg-open on PATH that records its arguments.
#include "os/Shell.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace larkspan {
namespace {

namespace fs = std::filesystem;

TEST(ShellOpenTest, StartsXdgOpenDetachedAndLeavesNoChildBehind) {
  const fs::path folder = fs::temp_directory_path() / "larkspan-shell-test";
  fs::create_directories(folder);
  const std::string record = (folder / "args").string();
  std::ofstream(folder / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" >'" << record
                                     << ".tmp' && mv '" << record << ".tmp' '" << record << "'\n";
  fs::permissions(folder / "xdg-open", fs::perms::owner_all);
  setenv("PATH", (folder.string() + ":" + std::getenv("PATH")).c_str(), 1);
  ShellOpen(u"/home/user/Desktop/s\u00e9tup file.exe", u"");
  for (int i = 0; i < 250 && !fs::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::string args;
  std::getline(std::ifstream(record), args);
  EXPECT_EQ(args, "/home/user/Desktop/s\xc3\xa9tup file.exe|");
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // reaped: nothing running, no zombie
  EXPECT_EQ(errno, ECHILD);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
