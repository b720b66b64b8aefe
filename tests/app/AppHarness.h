#pragma once
// Shared set-up of the behaviour tests of the two windows: the headless back end, language
// texts that name their own entry ("<1156>") so that every composed line can be checked
// character for character, a local HTTP server, a temporary folder for the downloads and a
// recording shell launcher. Virtual time stands still while a download runs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "app/AppGlobals.h"
#include "app/DownForm.h"
#include "app/Startup.h"
#include "os/CodePage.h"
#include "os/Shell.h"
#include "support/HeadlessBackend.h"
#include "support/HttpFixture.h"

namespace larkspan::test {

// Every entry reads "<n>". The three texts that carry the maker's name write it in other cases
// than the program does, so that its replacement by the company name shows.
inline void FillLanguage() {
  LangTable& lang = Globals().LangText;
  for (int i = 1; i <= 1400; ++i) lang.Set(i, FromUtf8("<" + std::to_string(i) + ">"));
  lang.Set(1157, u"<1157 QUILLMERE>");
  lang.Set(1158, u"<1158 quillmere>");
  lang.Set(1159, u"<1159 Quillmere quillmere>");
}

// The file's bytes; empty when there is no such file.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every wait lets the events run every few milliseconds (a pass waits up to 5 ms; a loaded
// machine under Wine still makes one in 50), and never spins through them: a spin makes about
// one pass a millisecond under Wine, many on Linux.
inline void ExpectPaced(int passes, std::chrono::steady_clock::duration took) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  EXPECT_LT(passes, 100 + ms / 3);
  EXPECT_GE(passes, ms / 50);
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Restart();
    previousLauncher_ =
        SetShellLauncher([this](const auto& argv) { opened.push_back(argv.at(1)); });
    folder = std::filesystem::temp_directory_path() /
             ("larkspan-app-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    ResetProgram();  // the windows belong to this test's back end: drop them while it exists
    SetShellLauncher(previousLauncher_);
    std::filesystem::remove_all(folder);
  }

  // The record as start-up leaves it, for the download window on its own: at the start, and
  // again after the program has ended.
  void Restart() {
    ResetProgram();
    SetLanguageLoader(FillLanguage);
    AppGlobals& g = Globals();
    g.CommandLine = u"***";
    InitGlobals();
    FillLanguage();
    g.transferSettings.requestTimeoutSeconds = 2;
  }

  HeadlessWindow& Start(const std::u16string& arguments) {
    Main(arguments, backend);
    return backend.WindowNamed("CheckUpdatesForm");
  }
  // Starts with the update information at `infoUrl`; both probes and the maker's site answer.
  // The maker's name changes after start-up, so that its replacement in the texts shows.
  HeadlessWindow& StartAgainstServer(const std::string& infoUrl) {
    HeadlessWindow& window = Start(u"x*3.1*0101000*" + FromUtf8(infoUrl));
    AppGlobals& g = Globals();
    g.probeAddresses = {FromUtf8(http.Url("/product/")), FromUtf8(http.Url("/"))};
    g.CompanyURL = FromUtf8(http.Url("/"));
    g.CompanyName = u"Acme";
    return window;
  }

  HeadlessBackend backend;
  HttpFixture http;
  std::filesystem::path folder;
  std::vector<std::string> opened;  // what the shell was asked to open

 private:
  ShellLauncher previousLauncher_;
};

// The download window on its own, as the update window's download button opens it.
class DownloadTest : public AppTest {
 protected:
  HeadlessWindow& Win() { return backend.WindowNamed("DownForm"); }
  std::string Text(const char* control) { return ToUtf8(Win().Control(control).caption); }
  bool Shown(const char* button) { return Win().Control(button).visible; }
  // Chunks counted in this opening: one progress update each.
  std::size_t Chunks() { return Win().Control("ProBarDownload").values.size(); }
  std::filesystem::path Target(const char* name = "setup.exe") const { return folder / name; }

  // Serves `reply` as the installer at `path`; the Save dialog answers `name` in the folder.
  void Offer(Reply reply, const char* name = "setup.exe", const std::string& path = "/setup.exe") {
    http.Serve(path, std::move(reply));
    Globals().DownloadURL = FromUtf8(http.Url(path));
    backend.saveAnswers = {Target(name).u16string()};
  }

  // Opens the window; once the download has ended, runs `inspect` on the window as it is and
  // then closes it with `closeButton`.
  void RunThenClose(const std::function<void()>& inspect, const char* closeButton = "btnClose") {
    bool inspected = false;
    backend.At(backend.Now() + 60'000, [&] {
      inspect();
      inspected = true;
      EXPECT_TRUE(Win().Click(closeButton));
    });
    Form().ShowModal();
    EXPECT_TRUE(inspected);
  }

  // How the window shows a download that has ended complete (the blue status, Close and Run
  // File) or stopped (the red status, Close and Cancel).
  void ExpectEnded(bool complete) {
    EXPECT_EQ(Text("lblDownStat"), complete ? "<1149>" : "<1144>");
    EXPECT_EQ(Win().Control("lblDownStat").foreColor, complete ? 0x0000FFu : 0xFF0000u);
    EXPECT_TRUE(Shown("btnClose") && Shown(complete ? "btnRunFile" : "btnCancel"));
    EXPECT_FALSE(Shown("btnStopDownload") || Shown(complete ? "btnCancel" : "btnRunFile"));
  }

  DownForm& Form() { return TheDownloadWindow(); }
};

}  // namespace larkspan::test
