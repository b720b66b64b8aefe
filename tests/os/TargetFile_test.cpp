// The saved file on Linux: what the target file makes of what it finds at the chosen path, that
// a flush reaches the disk, and the path that Run File hands to the shell.
#include "os/TargetFile.h"

#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <clocale>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/Failure.h"
#include "os/Paths.h"
#include "os/Shell.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry counts as existing, so the user is asked first. A file is then replaced by a new
// one, of this user and of the user's umask, whoever planted the old one with whatever mode; a
// link goes and the file that it led to stays as it was; a FIFO or a device is refused.
TEST(TargetFileTest, ReplacingMakesANewFileAndWritesIntoNoOtherOne) {
  const fs::path folder = fs::temp_directory_path() / "larkspan-target-test";
  fs::remove_all(folder);  // what a failed run left
  fs::create_directories(folder);
  std::ofstream(folder / "kept") << "kept";
  std::ofstream(folder / "regular") << "an older and longer file";
  ASSERT_EQ(chmod((folder / "regular").c_str(), 0666), 0);
  const bool planted = chown((folder / "regular").c_str(), 65534, 65534) == 0;  // as root
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
    EXPECT_EQ(Read(path), "new");
  }
  struct stat made {};
  ASSERT_EQ(stat((folder / "regular").c_str(), &made), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(made.st_mode & 07777, 0666 & ~mask);
  EXPECT_TRUE(!planted || made.st_uid == geteuid());
  EXPECT_EQ(Read(folder / "kept"), "kept");
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
  EXPECT_TRUE(fs::is_fifo(folder / "fifo") && fs::is_character_file("/dev/null"));
  fs::remove_all(folder);
}

// From now on every fsync of this process fails, as on a disk that fails.
void FailEverySync() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fsync, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
  prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program);
}

// Complete means on the disk: a flush that does not get there fails, and the download that
// asked for it ends as stopped.
TEST(TargetFileTest, AFlushThatDoesNotReachTheDiskFails) {
  const fs::path path = fs::temp_directory_path() / "larkspan-flush-test";
  TargetFile file;
  file.Open(path);
  EXPECT_EXIT((FailEverySync(), std::_Exit(ResumeNext([&] { file.Flush(); }) ? 0 : 3)),
              testing::ExitedWithCode(3), "");
  file.Close();
  fs::remove(path);
}

// Run File hands the shell the bytes that name the file on the disk, whatever character set
// the locale has: here a Latin-1 locale made for the test.
TEST(ShellTest, RunFileNamesTheFileAsTheDiskDoesInEveryLocale) {
  const fs::path locales = fs::temp_directory_path() / "larkspan-locales";
  fs::create_directories(locales);
  std::system(("localedef -c -i de_DE -f ISO-8859-1 " + (locales / "latin1").string()).c_str());
  setenv("LOCPATH", locales.c_str(), 1);
  ASSERT_NE(std::setlocale(LC_ALL, "latin1"), nullptr);
  std::vector<std::string> call;
  SetShellLauncher([&](const std::vector<std::string>& argv) { call = argv; });
  ShellOpen(u"/tmp/Gr\u00fc\u00dfe.exe", u"");
  SetShellLauncher(nullptr);
  std::setlocale(LC_ALL, "C");
  fs::remove_all(locales);
  EXPECT_EQ(call.at(1), "/tmp/Gr\303\274\303\237e.exe");  // in UTF-8, as on the disk
}

}  // namespace
}  // namespace larkspan
