// A download killed outright (SIGKILL) keeps in its file every chunk that it had counted,
// but for at most the one in flight.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

#include "windows/WindowTestHarness.h"

namespace larkspan::test {
namespace {

using NothingLost = DownFormTest;

TEST_F(NothingLost, KilledDownloadKeepsEveryCountedChunk) {
  const std::string body = PatternBody(256 * 1024);
  HttpResponse slow = HttpResponse::Text(body);
  slow.bytesPerSecond = 64 * 1024;  // four seconds in all: the kill comes long before the end
  Offer("/setup.exe", slow, "setup.exe");
  int report[2];
  ASSERT_EQ(pipe(report), 0);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The download, in the child's copy of this test: after each yield it tells the parent
    // how many chunks the window has counted (one progress update each) and so written.
    std::uint32_t told = 0;
    backend.onEveryYield = [&] {
      if (Chunks() == told) return;
      told = static_cast<std::uint32_t>(Chunks());
      if (write(report[1], &told, sizeof told) != sizeof told) _exit(3);
    };
    backend.At(backend.Now() + 60'000, [&] { Win().Click("btnClose"); });
    form->ShowModal();
    _exit(0);
  }
  close(report[1]);

  // Kill it at a chunk count that is not a multiple of the throttle's slices.
  std::uint32_t last = 0;
  for (pollfd watch{report[0], POLLIN, 0}; last < 37 && poll(&watch, 1, 10'000) > 0;) {
    if (read(report[0], &last, sizeof last) != sizeof last) break;
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(report[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended before the kill";
  ASSERT_GE(last, 37u);

  const std::optional<std::string> saved = ReadFile(folder + "/setup.exe");
  ASSERT_TRUE(saved);
  EXPECT_GE(saved->size(), (last - 1) * 1024u);
  EXPECT_LT(saved->size(), body.size());
  EXPECT_TRUE(*saved == body.substr(0, saved->size())) << "the file is not the served prefix";
}

}  // namespace
}  // namespace larkspan::test
