#pragma once
// Shared set-up of the download window's behaviour tests: the headless back end, a local HTTP
// server, distinctive language texts ("<1148>"), a temporary target folder and a recording
// shell launcher.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download_window/DownForm.h"
#include "platform/CodePage.h"
#include "platform/ShellModuleM.h"
#include "startup/AppGlobals.h"
#include "support/HeadlessBackend.h"
#include "support/HttpFixture.h"

namespace larkspan::test {

inline std::u16string LangMark(int index) {
  return u"<" + FromUtf8(std::to_string(index)) + u">";
}

// A body whose bytes differ from their neighbours, so that a lost, doubled or reordered chunk
// shows in the saved file.
inline std::string PatternBody(std::size_t size, unsigned seed = 1) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    body[i] = static_cast<char>((i * 7 + seed * 13 + i / 251) % 256);
  return body;
}

// What the window shows at one moment.
struct Shown {
  std::string status;
  Rgb statusColor = 0;
  std::string fileSize, down, rate;
  int barMax = 0, barValue = 0;
  bool stop = false, close = false, cancel = false, runFile = false;
  std::vector<std::string> statusHistory, downHistory;
  std::vector<int> barHistory;
};

class DownFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    AppGlobals& g = Globals();
    g.ui = &backend;
    g.CompanyName = u"Quillmere";
    g.DownloaderName = u"Download Manager";
    g.DownloaderVersion = u"1.01";
    g.DownloaderTitle = u"Quillmere - Download Manager";
    for (int i :
         {168, 578, 717, 1110, 1111, 1112, 1133, 1141, 1144, 1148, 1149, 1150, 1151, 1152, 1154}) {
      g.LangText.Set(i, LangMark(i));
    }
    g.transferSettings.requestTimeoutSeconds = 5;
    char pattern[] = "/tmp/larkspan-down-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    previousLauncher = SetShellLauncher(
        [this](const std::vector<std::string>& argv) { launched.push_back(argv); });
    form = std::make_unique<DownForm>(backend);
  }

  void TearDown() override {
    form.reset();
    SetShellLauncher(previousLauncher);
    std::filesystem::remove_all(folder);
  }

  HeadlessWindow& Win() { return backend.WindowNamed("DownForm"); }

  std::string Target(const std::string& name) const { return folder + "/" + name; }

  // Serves `body` at `path` and makes it the download address.
  void Offer(const std::string& path, HttpResponse response) {
    http.Serve(path, std::move(response));
    Globals().DownloadURL = FromUtf8(http.Url(path));
  }

  Shown Capture() {
    HeadlessWindow& w = Win();
    Shown s;
    s.status = Narrow(w.LabelNamed("lblDownStat").caption);
    s.statusColor = w.LabelNamed("lblDownStat").foreColor;
    s.fileSize = Narrow(w.LabelNamed("lblFileSizeVal").caption);
    s.down = Narrow(w.LabelNamed("lblDownVal").caption);
    s.rate = Narrow(w.LabelNamed("lblTransferRateVal").caption);
    s.barMax = w.BarNamed("ProBarDownload").maximum;
    s.barValue = w.BarNamed("ProBarDownload").value;
    s.stop = w.ButtonNamed("btnStopDownload").visible;
    s.close = w.ButtonNamed("btnClose").visible;
    s.cancel = w.ButtonNamed("btnCancel").visible;
    s.runFile = w.ButtonNamed("btnRunFile").visible;
    for (const auto& c : w.LabelNamed("lblDownStat").captionHistory) {
      s.statusHistory.push_back(Narrow(c));
    }
    for (const auto& c : w.LabelNamed("lblDownVal").captionHistory) {
      s.downHistory.push_back(Narrow(c));
    }
    s.barHistory = w.BarNamed("ProBarDownload").valueHistory;
    return s;
  }

  // Chunks counted so far in this opening (one progress update each).
  std::size_t ChunksShown() { return Win().BarNamed("ProBarDownload").valueHistory.size(); }

  // Opens the window; once the download has ended (virtual time stands still during it),
  // captures what the window shows and closes it with `closeButton`.
  std::optional<Shown> RunAndClose(const std::string& closeButton = "btnClose") {
    std::optional<Shown> shown;
    backend.At(backend.Now() + 60'000, [&] {
      shown = Capture();
      Win().Click(closeButton);
    });
    form->ShowModal();
    return shown;
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

  static std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  HeadlessBackend backend;
  HttpFixture http;
  std::string folder;
  std::vector<std::vector<std::string>> launched;
  ShellLauncher previousLauncher;
  std::unique_ptr<DownForm> form;
};

}  // namespace larkspan::test
