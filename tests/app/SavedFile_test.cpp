// The saved file as the download window leaves it: one download per file, a name that the file
// system holds, and never more shown than the file holds.
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "app/AppHarness.h"
#include "base/Failure.h"
#include "os/TargetFile.h"

namespace larkspan::test {
namespace {

const std::string kBody = PatternBody(8192);

// While a download runs, its file holds what the window shows and others may read it; a second
// download that chooses it ends at once, and the first goes on undisturbed to the whole
// installer.
TEST_F(DownloadTest, ASecondDownloadIntoTheSameFileLeavesTheFirstUndisturbed) {
  Offer(Reply::Text(kBody));
  bool refused = false;
  backend.onEveryYield = [&] {
    if (Chunks() != 2 || refused) return;
    EXPECT_TRUE(ReadFile(Target()) == kBody.substr(0, 2048));
    TargetFile second;
    EXPECT_THROW(second.Open(Target()), Failure);
    refused = true;
  };
  RunThenClose([&] { ExpectEnded(true); });
  EXPECT_TRUE(refused);
  EXPECT_TRUE(ReadFile(Target()) == kBody);
}

#ifndef _WIN32
// 120 CJK characters and ".exe" are 364 bytes of UTF-8, more than a Linux file name holds: the
// name offered is cut to fit, and the installer lands under it.
TEST_F(DownloadTest, ALongNameIsOfferedAsOneThatTheFileSystemHolds) {
  const std::u16string cjk(120, u'\u6587');
  std::string requested = "/";  // as the transfer asks for it
  for (int i = 0; i < 120; ++i) requested += "%e6%96%87";
  http.Serve(requested + ".exe", Reply::Text(kBody));
  Globals().DownloadURL = FromUtf8(http.Url("/")) + cjk + u".exe";
  const std::u16string offered = cjk.substr(0, 83) + u".exe";  // 253 bytes
  backend.saveAnswers = {(folder / offered).u16string()};
  RunThenClose([&] { ExpectEnded(true); });
  ASSERT_EQ(backend.saveDialogs.size(), 1u);
  EXPECT_EQ(backend.saveDialogs[0].fileName, offered);
  EXPECT_TRUE(ReadFile(folder / offered) == kBody);
}

// The disk takes no more than `limit` bytes (a file-size limit stands for a full disk): the
// download ends as stopped, and the downloaded figure is ahead of the file by no more than the
// chunk whose write failed.
TEST_F(DownloadTest, AFullDiskShowsNoMoreThanTheFileHolds) {
  std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  for (const auto& [limit, size] : {std::pair{0, 2048}, std::pair{5000, 64 * 1024}}) {
    SCOPED_TRACE(limit);
    const rlimit full{static_cast<rlim_t>(limit), before.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    Offer(Reply::Text(PatternBody(size)));
    backend.msgAnswers = {MsgBoxResult::kYes};  // the second replaces the first's file
    RunThenClose(
        [&] {
          ExpectEnded(false);
          EXPECT_LE(Chunks() * 1024, std::filesystem::file_size(Target()) + 1024);
        },
        "btnCancel");
    setrlimit(RLIMIT_FSIZE, &before);
  }
}
#endif

}  // namespace
}  // namespace larkspan::test
