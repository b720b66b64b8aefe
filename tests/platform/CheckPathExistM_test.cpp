#include "platform/CheckPathExistM.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/CodePage.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;

TEST(CheckPathExistTest, FilesAndFoldersExistOthersDoNot) {
  fs::path folder = fs::temp_directory_path() / ("larkspan-path-" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::path file = folder / "r\xc3\xa9sum\xc3\xa9.txt";
  std::ofstream(file) << "x";
  std::u16string wideFolder = FromUtf8(folder.string());

  EXPECT_TRUE(CheckPathExist(wideFolder));
  EXPECT_TRUE(CheckPathExist(wideFolder + u"/"));
  EXPECT_TRUE(CheckPathExist(wideFolder + u"/r\u00e9sum\u00e9.txt"));
  EXPECT_FALSE(CheckPathExist(wideFolder + u"/missing.txt"));
  EXPECT_FALSE(CheckPathExist(wideFolder + u"/r\u00e9sum\u00e9.txt/inside"));
  EXPECT_FALSE(CheckPathExist(u""));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
