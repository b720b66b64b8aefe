#pragma once
// Shared set-up of the windows' behaviour tests: the headless back end, language texts that
// name their own entry ("<1156>") so that every composed line can be checked character for
// character, and for the download window a local HTTP server, a temporary target folder and a
// recording shell launcher. Virtual time stands still while a download runs.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download_window/DownForm.h"
#include "platform/CodePage.h"
#include "platform/ShellModuleM.h"
#include "startup/AppGlobals.h"
#include "startup/Main_ModuleM.h"
#include "support/HeadlessBackend.h"
#include "support/HttpFixture.h"

namespace larkspan::test {

inline void SetLangTexts(std::initializer_list<int> indexes) {
  for (int i : indexes) Globals().LangText.Set(i, FromUtf8("<" + std::to_string(i) + ">"));
}

inline std::string RefusedUrl(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + path;
}

// Bytes that differ from their neighbours: a lost, doubled or reordered chunk shows.
inline std::string PatternBody(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  return body;
}

inline std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class UpdateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    SetLanguageLoader([this] {
      commandLineAtLanguageLoad = Globals().CommandLine;
      SetLangTexts(
          {24, 108, 334, 1045, 1047, 1048, 1099, 1100, 1107, 1156, 1160, 1161, 1162, 1284});
      // The texts that carry the maker's name, written in other cases than it is.
      Globals().LangText.Set(1157, u"<1157 QUILLMERE>");
      Globals().LangText.Set(1158, u"<1158 quillmere>");
      Globals().LangText.Set(1159, u"<1159 Quillmere quillmere>");
    });
  }
  void TearDown() override {
    ResetGlobals();  // the windows belong to this test's back end: drop them while it exists
    SetLanguageLoader(nullptr);
  }
  HeadlessWindow& Start(const std::u16string& arguments) {
    Main(arguments, backend);
    return backend.WindowNamed("CheckUpdatesForm");
  }

  HeadlessBackend backend;
  std::u16string commandLineAtLanguageLoad = u"(not loaded)";
};

class DownFormTest : public ::testing::Test {
 public:
  void SetUp() override {
    ResetGlobals();
    AppGlobals& g = Globals();
    g.ui = &backend;
    g.CommandLine = u"***";
    InitGlobals();  // the maker's and the download window's names
    SetLangTexts(
        {168, 578, 717, 1110, 1111, 1112, 1133, 1141, 1144, 1148, 1149, 1150, 1151, 1152, 1154});
    g.transferSettings.requestTimeoutSeconds = 5;
    char pattern[] = "/tmp/larkspan-down-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    previousLauncher = SetShellLauncher([this](const auto& argv) { launched.push_back(argv); });
    form = std::make_unique<DownForm>(backend);
  }
  void TearDown() override {
    form.reset();
    SetShellLauncher(previousLauncher);
    std::filesystem::remove_all(folder);
  }

  HeadlessWindow& Win() { return backend.WindowNamed("DownForm"); }
  std::string Caption(const char* label) { return Narrow(Win().LabelNamed(label).caption); }
  std::vector<std::string> History(const char* label) {
    std::vector<std::string> texts;
    for (const auto& text : Win().LabelNamed(label).captionHistory) texts.push_back(Narrow(text));
    return texts;
  }
  bool Shown(const char* button) { return Win().ButtonNamed(button).visible; }
  // Chunks counted in this opening: one progress update each.
  std::size_t Chunks() { return Win().BarNamed("ProBarDownload").valueHistory.size(); }

  // Serves the response and makes it the download address; the dialog answers `target`.
  void Offer(const std::string& path, HttpResponse response, const std::string& target) {
    http.Serve(path, std::move(response));
    Globals().DownloadURL = FromUtf8(http.Url(path));
    backend.saveAnswers = {FromUtf8(folder + "/" + target)};
  }

  // Opens the window; once the download has ended, runs `inspect` on the window as it is and
  // then closes it with `closeButton`.
  void RunThenClose(const std::function<void()>& inspect, const char* closeButton = "btnClose") {
    bool inspected = false;
    backend.At(backend.Now() + 60'000, [&] {
      inspect();
      inspected = true;
      Win().Click(closeButton);
    });
    form->ShowModal();
    EXPECT_TRUE(inspected);
    EXPECT_FALSE(Win().visible);
  }

  // Runs `action` once, in the first yield at which `condition` holds.
  void OnceWhen(std::function<bool()> condition, std::function<void()> action) {
    auto done = std::make_shared<bool>(false);
    backend.onEveryYield = [=] {
      if (*done || !condition()) return;
      *done = true;
      action();
    };
  }

  void ExpectStopped() {
    EXPECT_EQ(Caption("lblDownStat"), "<1144>");
    EXPECT_EQ(Win().LabelNamed("lblDownStat").foreColor, 0xFF0000u);
    EXPECT_TRUE(Shown("btnClose") && Shown("btnCancel"));
    EXPECT_FALSE(Shown("btnStopDownload") || Shown("btnRunFile"));
    EXPECT_TRUE(form->DownStopped());
  }

  HeadlessBackend backend;
  HttpFixture http;
  std::string folder;
  std::vector<std::vector<std::string>> launched;
  ShellLauncher previousLauncher;
  std::unique_ptr<DownForm> form;
};

}  // namespace larkspan::test
