// The Linux target file: what is at the chosen path when the download opens it.
#include "os/TargetFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Failure.h"
#include "os/Paths.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry counts as existing, so the user is asked first. A link is then replaced by a new
// file and the file it led to stays as it was; a FIFO or a device is refused without waiting.
TEST(TargetFileTest, ALinkIsReplacedNeverFollowedAndOnlyPlainFilesAreWritten) {
  const fs::path folder = fs::temp_directory_path() / ("larkspan-target-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "kept") << "kept";
  std::ofstream(folder / "regular") << "an older and longer file";
  fs::create_symlink(folder / "kept", folder / "link");
  fs::create_symlink(folder / "nowhere", folder / "dangling");
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  const std::pair<fs::path, bool> cases[] = {{folder / "regular", true},
                                             {folder / "link", true},
                                             {folder / "dangling", true},
                                             {folder / "fifo", false},
                                             {"/dev/null", false}};
  for (const auto& [path, written] : cases) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(CheckPathExist(path.u16string()));
    TargetFile file;
    if (!written) {
      EXPECT_THROW(file.Open(path), Failure);
      continue;
    }
    file.Open(path);
    file.Append(reinterpret_cast<const std::uint8_t*>("new"), 3);
    file.Close();
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
    EXPECT_EQ(Read(path), "new");
  }
  EXPECT_EQ(Read(folder / "kept"), "kept");
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
  EXPECT_TRUE(fs::is_fifo(folder / "fifo"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
