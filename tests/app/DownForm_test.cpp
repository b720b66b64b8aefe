// The download window: the body in chunks with its progress and rate displays, the complete
// and stopped ends, the commands and the close rules, and the saved file as the window leaves
// it: one download per file, a name that the file system holds, never more shown than it holds.
// How a download ends on network and server faults is a row of the fault matrix.
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include <chrono>
#include <thread>

#include "app/AppHarness.h"
#include "base/Failure.h"
#include "os/TargetFile.h"
#include "support/WorkedExample.h"
#include "update/CheckOutcome.h"

namespace larkspan::test {
namespace {

struct BodyCase {
  std::size_t size;
  std::string fileSize;
  std::vector<std::u16string> downTexts;  // emptied at load, then after each chunk
  std::vector<int> bar;
};

class BodySizes : public DownloadTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodySizes, SavedWholeInChunksWithProgressAndTheCompleteState) {
  const BodyCase& c = GetParam();
  const std::string body = PatternBody(c.size);
  // The address's last part is offered as a file name: the dots at its ends go.
  Offer(Reply::Text(body), "setup.exe", "/files/.vantrel_setup.exe.");
  RunThenClose([&] {
    EXPECT_EQ(Text("lblFileSizeVal"), c.fileSize);
    std::vector<std::u16string> status{u"", u"<1141>"};
    status.insert(status.end(), c.downTexts.size() - 1, u"<1148> ...");
    status.push_back(u"<1149>");
    EXPECT_EQ(Win().Control("lblDownVal").history, c.downTexts);
    EXPECT_EQ(Win().Control("lblDownStat").history, status);
    EXPECT_EQ(Win().Control("ProBarDownload").values, c.bar);
    EXPECT_EQ(Text("lblTransferRateVal"), "0  ( KB/Sec )");
    ExpectEnded(true);
    EXPECT_TRUE(Win().Click("btnRunFile") && Win().visible);
  });
  EXPECT_EQ(opened, std::vector<std::string>{Target().string()});
  ASSERT_EQ(backend.saveDialogs.size(), 1u);
  EXPECT_EQ(ToUtf8(backend.saveDialogs[0].fileName + u" " + backend.saveDialogs[0].filter),
            "vantrel_setup.exe *.exe|*.exe");
  EXPECT_EQ(ReadFile(Target()), body);
  EXPECT_TRUE(backend.messages.empty());  // the close after completion asks nothing
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BodySizes,
    ::testing::Values(
        BodyCase{0, "0 Bytes", {u""}, {}},
        BodyCase{1025, "1 KB", {u"", u"1 KB  ( 100 % )", u"1 KB  ( 100 % )"}, {100, 100}},
        BodyCase{8192,
                 "8 KB",
                 {u"", u"1 KB  ( 12 % )", u"2 KB  ( 25 % )", u"3 KB  ( 38 % )", u"4 KB  ( 50 % )",
                  u"5 KB  ( 62 % )", u"6 KB  ( 75 % )", u"7 KB  ( 88 % )", u"8 KB  ( 100 % )"},
                 {12, 25, 38, 50, 62, 75, 88, 100}}));

// Commands given while the request waits for its head (which comes half a second late), while
// the body has stalled after its first chunk, or after the second chunk; each in a new opening
// of the window, whose file exists: No to replacing it shows the dialog again, with the path just
// chosen, and Yes replaces it by a new file, so that the old one keeps its data under its other
// name. A command that stops the download does so within one pass, touches no file before the
// head, and leaves every display as it was. Nothing closes the window inside a pass of the
// download: a close that goes ahead waits for the download's stopped path, which then closes it.
TEST_F(DownloadTest, CommandsWhileRequestingOrReceiving) {
  using enum MsgBoxResult;
  using namespace std::chrono_literals;
  enum When { kHeadHeld, kStalled, kTwoChunks };  // also the chunks taken before the command
  const std::string body = PatternBody(6 << 20), old(5000, 'o');  // beyond any buffer
  const struct {
    When when;
    std::vector<const char*> commands;
    MsgBoxResult answer;    // to the close question; Yes ends the program
    const char* closeWith;  // once the download has ended; none: the download closes it
    std::optional<std::size_t> savedBytes;  // none: the old file stays as it was
    std::size_t questions;
    bool heldQuestion = false;  // the question stays open past the transfer's time-out
  } cases[] = {
      {kHeadHeld, {"btnStopDownload"}, kNo, "btnCancel", std::nullopt, 0},
      {kHeadHeld, {"btnCancel"}, kNo, nullptr, std::nullopt, 0},
      {kHeadHeld, {"btnStopDownload", "close box"}, kNo, nullptr, std::nullopt, 0},
      {kHeadHeld, {"close box"}, kNo, "btnClose", body.size(), 1},  // the download goes on
      {kHeadHeld, {"close box"}, kYes, nullptr, std::nullopt, 1},
      {kStalled, {"btnStopDownload"}, kNo, "btnCancel", 1024, 0},
      {kTwoChunks, {"close box"}, kNo, "btnClose", body.size(), 1, true},
      {kTwoChunks, {"btnStopDownload"}, kNo, "btnCancel", 2048, 0},
      {kTwoChunks, {"btnCancel"}, kNo, nullptr, 2048, 0},
      {kTwoChunks, {"btnStopDownload", "btnCancel"}, kNo, nullptr, 2048, 0},
      {kTwoChunks, {"btnStopDownload", "close box"}, kNo, nullptr, 2048, 0},
      {kTwoChunks, {"close box"}, kYes, nullptr, 2048, 1},
  };
  const auto displays = [&] {
    return std::tuple(Text("lblFileSizeVal"), Text("lblDownVal"), Text("lblTransferRateVal"),
                      Win().Control("ProBarDownload").values);
  };
  for (const auto& c : cases) {
    const std::string name = "setup" + std::to_string(&c - cases) + ".exe";  // a new file each
    SCOPED_TRACE(name);
    const std::filesystem::path target = Target(name.c_str()), other = folder / ("o" + name);
    Globals().transferSettings.requestTimeoutSeconds = 1;
    Reply reply = Reply::Text(body);
    reply.headAfterMs = c.when == kHeadHeld ? 500 : 0;
    reply.bodyBytes = c.when == kStalled ? 1500 : SIZE_MAX;
    reply.end = c.when == kStalled ? Reply::End::kHold : Reply::End::kClose;
    Offer(reply, name.c_str());
    Globals().DownloadURL = u"  " + Globals().DownloadURL + u" ";  // the blanks go
    std::ofstream(target) << old;
    std::filesystem::create_hard_link(target, other);
    backend.saveAnswers = {target.u16string(), target.u16string()};
    backend.msgAnswers = {kNo, kYes, c.answer};
    backend.whileAsked = [&] { std::this_thread::sleep_for(2s * c.heldQuestion); };
    backend.messages.clear();
    backend.saveDialogs.clear();
    int passes = 0, actedAt = -1;  // passes of the wait; backend.yields at the commands
    std::chrono::steady_clock::time_point waiting;
    decltype(displays()) shown;
    bool closedInThePass = false;
    backend.onEveryYield = [&] {
      const auto now = std::chrono::steady_clock::now();
      if (actedAt >= 0 || Chunks() != std::size_t(c.when)) return;
      if (c.when != kTwoChunks) {  // a fifth of a second into the wait for the head or the body
        if (passes++ == 0) waiting = now;
        if (now - waiting < 200ms) return;
        ExpectPaced(passes, now - waiting);
      } else {  // the file holds what the window shows, for one writer
        EXPECT_TRUE(ReadFile(target) == body.substr(0, 2048));
        EXPECT_THROW(TargetFile().Open(target), Failure);
      }
      backend.Advance(1000);  // a rate tick
      shown = displays();
      actedAt = backend.yields;
      for (std::string_view command : c.commands)
        command == "close box" ? Win().Close() : Win().Click(command);
      closedInThePass = !Win().visible;
    };
    const bool goesOn = c.savedBytes == body.size();
    const auto ended = [&] {
      ExpectEnded(goesOn);
      EXPECT_TRUE(goesOn || displays() == shown);
    };
    if (c.answer == kYes) {
      EXPECT_THROW(Form().ShowModal(), ProgramEnded);
    } else {
      c.closeWith ? RunThenClose(ended, c.closeWith) : Form().ShowModal();
    }
    EXPECT_FALSE(closedInThePass);
    ASSERT_GE(actedAt, 0);
    EXPECT_TRUE(goesOn || backend.yields - actedAt <= 1) << backend.yields - actedAt;
    const std::string file = ReadFile(target);
    EXPECT_TRUE(file == (c.savedBytes ? body.substr(0, *c.savedBytes) : old)) << file.size();
    EXPECT_EQ(ReadFile(other), old);
    // Every opening starts afresh, with a new dialog that suggests the address's file name.
    EXPECT_EQ(
        ToUtf8(backend.saveDialogs.at(0).fileName + u"|" + backend.saveDialogs.at(1).fileName),
        "setup.exe|" + target.string());
    ASSERT_EQ(backend.messages.size(), 2 + c.questions);
    for (const MessageRecord& m : backend.messages) {
      const char* asked = &m < &backend.messages[2] ? "<1150>\r\n<1151>" : "<1152>\r\n<1154>";
      EXPECT_EQ(ToUtf8(m.prompt + u"|" + m.title),
                asked + std::string("|Quillmere - Download Manager"));
      EXPECT_EQ(m.style, kMsgYesNo);
    }
    if (c.answer == kYes) Restart();  // after the end of the program
  }
}

// A rate tick shows the chunks since the last one and starts the count again; more than 32767
// chunks between two ticks overflow the count and stop the download.
TEST_F(DownloadTest, RateTickShowsAndRestartsTheCountThatMustStayBelow32768) {
  const int chunks = 6 + 32768;
  Offer({.head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(chunks * 1024) + "\r\n\r\n",
         .body = PatternBody(1024),
         .repeat = chunks});
  std::string rate;
  backend.onEveryYield = [&] {
    if (Chunks() != 6 || !rate.empty()) return;
    backend.Advance(1000);
    rate = Text("lblTransferRateVal");
  };
  RunThenClose([&] { ExpectEnded(false); });
  EXPECT_EQ(rate, "6  ( KB/Sec )");
  // The chunk that overflowed the count was taken but not written.
  EXPECT_EQ(std::filesystem::file_size(Target()), (6 + 32767) * 1024u);
}

// A build with a release key keeps only the installer that the verified update information
// names: a changed byte, a byte more or less, or no verified text end the download as stopped,
// with nothing left under the chosen name or beside it.
TEST_F(DownloadTest, AKeyedDownloadKeepsOnlyTheSignedInstaller) {
  const WorkedExample example = ReadWorkedExample();
  Globals().releaseKey = example.key;
  const std::optional<SignedInstaller> named =
      DecideCheck(FromUtf8(example.text), {}, LangTable(), example.key).installer;
  const std::string signedBytes(WorkedExample::kInstaller), changed = "Vantrel 3.3";
  const struct {
    std::string served;
    std::optional<SignedInstaller> named;
  } cases[] = {{signedBytes, named},
               {changed, named},
               {signedBytes + "!", named},
               {signedBytes.substr(1), named},
               {signedBytes, std::nullopt}};
#ifdef _WIN32
  const std::string name = "setup.exe";
#else  // a name that Linux holds only just: the part file's must fit too
  const std::string name = std::string(251, 'x') + ".exe";
#endif
  std::ofstream(Target(name.c_str())) << "an older file, which the first replaces";
  backend.msgAnswers = {MsgBoxResult::kYes};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.served);
    const bool complete = c.served == signedBytes && c.named;
    Globals().signedInstaller = c.named;
    Offer(Reply::Text(c.served), name.c_str());
    RunThenClose([&] { ExpectEnded(complete); }, complete ? "btnClose" : "btnCancel");
    EXPECT_EQ(
        std::filesystem::exists(Target(name.c_str())) ? ReadFile(Target(name.c_str())) : "none",
        complete ? signedBytes : "none");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), complete);
    std::filesystem::remove(Target(name.c_str()));
  }
}

#ifndef _WIN32
// 120 CJK characters and ".exe" are 364 bytes of UTF-8, more than a Linux file name holds: the
// name offered is cut to fit, and the installer lands under it.
TEST_F(DownloadTest, ALongNameIsOfferedAsOneThatTheFileSystemHolds) {
  const std::u16string cjk(120, u'\u6587');
  std::string requested = "/";  // as the transfer asks for it
  for (int i = 0; i < 120; ++i) requested += "%e6%96%87";
  http.Serve(requested + ".exe", Reply::Text(PatternBody(8192)));
  Globals().DownloadURL = FromUtf8(http.Url("/")) + cjk + u".exe";
  const std::u16string offered = cjk.substr(0, 83) + u".exe";  // 253 bytes
  backend.saveAnswers = {(folder / offered).u16string()};
  RunThenClose([&] { ExpectEnded(true); });
  ASSERT_EQ(backend.saveDialogs.size(), 1u);
  EXPECT_EQ(backend.saveDialogs[0].fileName, offered);
  EXPECT_TRUE(ReadFile(folder / offered) == PatternBody(8192));
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
