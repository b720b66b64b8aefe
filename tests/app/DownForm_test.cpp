// The download window: the body in chunks with its progress and rate displays, the complete
// and stopped ends, the commands and the close rules.
// How a download ends on network and server faults is a row of the fault matrix.
#include <chrono>
#include <thread>
#include <tuple>

#include "app/AppHarness.h"
#include "support/WorkedExample.h"
#include "update/CheckOutcome.h"

namespace larkspan::test {
namespace {

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

// Commands given while the request waits for its head (which comes half a second late; the
// chosen file exists and the user agreed to replace it), while the body has stalled after its
// first chunk, or after the second chunk; each in a new opening of the window. A command that
// stops the download does so within one pass, touches no file before the head, and leaves every
// display as it was. Nothing closes the window inside a pass of the download: a close that goes
// ahead waits for the download's stopped path, which then closes it.
TEST_F(DownloadTest, CommandsWhileRequestingOrReceiving) {
  using enum MsgBoxResult;
  enum When { kHeadHeld, kStalled, kTwoChunks };
  const std::string body = PatternBody(6 << 20), old = "an older file";  // beyond any buffer
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
    Globals().transferSettings.requestTimeoutSeconds = 1;
    Reply reply = Reply::Text(body);
    reply.headAfterMs = c.when == kHeadHeld ? 500 : 0;
    if (c.when == kStalled) reply.bodyBytes = 1500;
    if (c.when == kStalled) reply.end = Reply::End::kHold;
    Offer(reply, name.c_str());
    backend.msgAnswers = {c.answer};
    if (c.when == kHeadHeld) std::ofstream(Target(name.c_str())) << old;
    if (c.when == kHeadHeld) backend.msgAnswers.push_front(kYes);  // replace it
    backend.whileAsked = [&] {
      if (c.heldQuestion) std::this_thread::sleep_for(std::chrono::seconds(2));
    };
    int passes = 0, actedAt = -1;  // passes in the phase; backend.yields at the commands
    std::chrono::steady_clock::time_point waiting;
    decltype(displays()) shown;
    bool closedInThePass = false;
    backend.onEveryYield = [&] {
      if (actedAt >= 0) return;
      const auto now = std::chrono::steady_clock::now();
      if (c.when == kHeadHeld) {
        // The request's wait, a fifth of a second into it.
        if (Text("lblDownStat") != "<1141>") return;
        if (passes++ == 0) waiting = now;
        if (now - waiting < std::chrono::milliseconds(200)) return;
        ExpectPaced(passes, now - waiting);
      } else if (Chunks() != (c.when == kStalled ? 1u : 2u)) {
        return;
      } else if (c.when == kStalled && ++passes < 20) {
        return;  // a tenth of a second of silence
      }
      backend.Advance(1000);  // a rate tick
      shown = displays();
      backend.messages.clear();
      actedAt = backend.yields;
      for (const std::string_view command : c.commands) {
        command == "close box" ? Win().Close() : Win().Click(command);
      }
      closedInThePass = !Win().visible;
    };
    const bool goesOn = c.savedBytes == body.size();
    if (c.answer == kYes) {
      EXPECT_THROW(Form().ShowModal(), ProgramEnded);
    } else if (c.closeWith) {
      RunThenClose(
          [&] {
            ExpectEnded(goesOn);
            if (goesOn) return;
            EXPECT_EQ(displays(), shown);
          },
          c.closeWith);
    } else {
      Form().ShowModal();
    }
    EXPECT_FALSE(closedInThePass);
    ASSERT_GE(actedAt, 0);
    EXPECT_TRUE(goesOn || backend.yields - actedAt <= 1) << backend.yields - actedAt;
    const std::string file = ReadFile(Target(name.c_str()));
    EXPECT_TRUE(file == (c.savedBytes ? body.substr(0, *c.savedBytes) : old)) << file.size();
    ASSERT_EQ(backend.messages.size(), c.questions);
    for (const MessageRecord& m : backend.messages) ExpectQuestion(m, "<1152>\r\n<1154>");
    if (c.answer == kYes) Restart();  // after the end of the program
  }
  // Every opening started afresh, with a new dialog that suggests the address's file name.
  for (const auto& dialog : backend.saveDialogs) EXPECT_EQ(ToUtf8(dialog.fileName), "setup.exe");
}

// A rate tick shows the chunks since the last one and starts the count again; more than 32767
// chunks between two ticks overflow the count and stop the download.
TEST_F(DownloadTest, RateTickShowsAndRestartsTheCountThatMustStayBelow32768) {
  const int chunks = 6 + 32768;
  Reply big =
      Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(chunks * 1024) + "\r\n",
                 PatternBody(1024));
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
