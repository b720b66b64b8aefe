// The download window: the body in chunks with its progress and rate displays, the complete
// and stopped ends, the commands and the close rules.
// How a download ends on network and server faults is a row of the fault matrix.
#include <chrono>

#include "app/AppHarness.h"
#include "support/WorkedExample.h"
#include "update/CheckOutcome.h"

namespace larkspan::test {
namespace {

const std::string kBody = PatternBody(8192);

void ExpectQuestion(const MessageRecord& m, const char* prompt) {
  EXPECT_EQ(ToUtf8(m.prompt), prompt);
  EXPECT_EQ(m.style, kMsgYesNo);
  EXPECT_EQ(ToUtf8(m.title), "Quillmere - Download Manager");
}

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

// The status is not looked at, the address is trimmed, and a name without extension is offered
// as such; an existing file is replaced only on Yes, by a new file: the old one keeps its data
// under its other name.
TEST_F(DownloadTest, ErrorPageIsSavedAndAnExistingFileReplacedOnlyOnYes) {
  std::ofstream(Target()) << std::string(5000, 'o');
  std::filesystem::create_hard_link(Target(), Target("other name"));
  Offer(Reply::Text("<html>gone</html>", 404), "setup.exe", "/files/");
  Globals().DownloadURL = u"  " + Globals().DownloadURL + u" ";
  backend.saveAnswers = {Target().u16string(), Target().u16string()};
  backend.msgAnswers = {MsgBoxResult::kNo, MsgBoxResult::kYes};
  RunThenClose([&] { ExpectEnded(true); });
  EXPECT_EQ(ToUtf8(backend.saveDialogs.at(0).fileName + backend.saveDialogs[0].filter), "*.|*.");
  EXPECT_EQ(backend.saveDialogs.at(1).fileName, Target().u16string());  // the path just chosen
  ASSERT_EQ(backend.messages.size(), 2u);
  for (const MessageRecord& m : backend.messages) ExpectQuestion(m, "<1150>\r\n<1151>");
  EXPECT_EQ(ReadFile(Target()), "<html>gone</html>");
  EXPECT_EQ(ReadFile(Target("other name")), std::string(5000, 'o'));
}

// Commands given after the second chunk, each in a new opening of the window. Nothing closes
// the window inside a pass of the download: a close that goes ahead waits for the download's
// stopped path, which then closes it.
TEST_F(DownloadTest, CommandsWhileReceiving) {
  const struct {
    std::vector<const char*> commands;
    MsgBoxResult answer;    // to the close question; Yes ends the program
    const char* closeWith;  // once the download has ended; none: the download closes it
    std::size_t savedBytes, questions;
  } cases[] = {
      {{"close box"}, MsgBoxResult::kNo, "btnClose", kBody.size(), 1},  // the download goes on
      {{"btnStopDownload"}, MsgBoxResult::kNo, "btnCancel", 2048, 0},
      {{"btnCancel"}, MsgBoxResult::kNo, nullptr, 2048, 0},
      {{"btnStopDownload", "btnCancel"}, MsgBoxResult::kNo, nullptr, 2048, 0},
      {{"btnStopDownload", "close box"}, MsgBoxResult::kNo, nullptr, 2048, 0},
      {{"close box"}, MsgBoxResult::kYes, nullptr, 2048, 1},
  };
  for (const auto& c : cases) {
    const std::string name = "setup" + std::to_string(&c - cases) + ".exe";  // a new file each
    SCOPED_TRACE(name);
    Offer(Reply::Text(kBody), name.c_str());
    backend.messages.clear();
    backend.msgAnswers = {c.answer};
    bool acted = false, closedInThePass = false;
    backend.onEveryYield = [&] {
      if (acted || Chunks() != 2) return;
      acted = true;
      for (const std::string_view command : c.commands) {
        command == "close box" ? Win().Close() : Win().Click(command);
      }
      closedInThePass = !Win().visible;
    };
    if (c.answer == MsgBoxResult::kYes) {
      EXPECT_THROW(Form().ShowModal(), ProgramEnded);
    } else if (c.closeWith) {
      RunThenClose([] {}, c.closeWith);
    } else {
      Form().ShowModal();
    }
    EXPECT_FALSE(closedInThePass);
    EXPECT_EQ(ReadFile(Target(name.c_str())), kBody.substr(0, c.savedBytes));
    ASSERT_EQ(backend.messages.size(), c.questions);
    for (const MessageRecord& m : backend.messages) ExpectQuestion(m, "<1152>\r\n<1154>");
  }
  // Every opening started afresh, with a new dialog that suggests the address's file name.
  for (const auto& dialog : backend.saveDialogs) EXPECT_EQ(ToUtf8(dialog.fileName), "setup.exe");
}

// Stop while the server has fallen silent in the middle of the body takes effect at once, not
// when the silence reaches the transfer's time-out. (Cancel stops the same way.)
TEST_F(DownloadTest, StopEndsAStalledBodyAtOnce) {
  Globals().transferSettings.requestTimeoutSeconds = 60;
  Reply stalled = Reply::Text(kBody);
  stalled.bodyBytes = 1500;
  stalled.end = Reply::End::kHold;
  Offer(stalled);
  int waiting = 0;  // passes of the event pump since the first chunk
  backend.onEveryYield = [&] {
    if (Chunks() == 1 && ++waiting == 20) Win().Click("btnStopDownload");
  };
  const auto start = std::chrono::steady_clock::now();
  RunThenClose([&] { ExpectEnded(false); }, "btnCancel");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(ReadFile(Target()), kBody.substr(0, 1024));
}

// A rate tick shows the chunks since the last one and starts the count again; more than 32767
// chunks between two ticks overflow the count and stop the download.
TEST_F(DownloadTest, RateTickShowsAndRestartsTheCountThatMustStayBelow32768) {
  const int chunks = 6 + 32768;
  Reply big =
      Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(chunks * 1024) + "\r\n",
                 kBody.substr(0, 1024));
  big.repeat = chunks;
  Offer(big);
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
  std::ofstream(Target()) << "an older file, which the first replaces";
  backend.msgAnswers = {MsgBoxResult::kYes};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.served);
    const bool complete = c.served == signedBytes && c.named;
    Globals().signedInstaller = c.named;
    Offer(Reply::Text(c.served));
    RunThenClose([&] { ExpectEnded(complete); }, complete ? "btnClose" : "btnCancel");
    EXPECT_EQ(std::filesystem::exists(Target()) ? ReadFile(Target()) : "none",
              complete ? signedBytes : "none");
    EXPECT_FALSE(std::filesystem::exists(Target().string() + ".part"));
    std::filesystem::remove(Target());
  }
}

}  // namespace
}  // namespace larkspan::test
