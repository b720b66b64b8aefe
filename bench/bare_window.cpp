// The start-up benchmark's references: a bare Qt 6 window of the given size in pixels, built
// with the program's compiler flags, that reports its first paint (its start, and the return
// to the event loop after it) in the program's timing format (see src/os/Timing.h) and
// does nothing else; with --text it shows one line of text in a label, and so pays for the
// font system as any window with text must.
//   bench_bare_window WIDTH HEIGHT [--text]
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long long Microseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void Mark(const char* event) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "larkspan-timing %s %lld %lld %ld 0\n", event, Microseconds(CLOCK_REALTIME),
               Microseconds(CLOCK_PROCESS_CPUTIME_ID), usage.ru_maxrss);
}

class BareWindow final : public QWidget {
 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    if (painted_) return;
    painted_ = true;
    Mark("first-paint:BareWindow");
    QTimer::singleShot(0, this, [] { Mark("first-frame:BareWindow"); });
  }

 private:
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const int width = argc > 2 ? std::atoi(argv[1]) : 0;
  const int height = argc > 2 ? std::atoi(argv[2]) : 0;
  const bool withText = argc > 3 && std::strcmp(argv[3], "--text") == 0;
  if (width <= 0 || height <= 0 || (argc > 3 && !withText)) {
    std::fprintf(stderr, "usage: bench_bare_window WIDTH HEIGHT [--text]\n");
    return 2;
  }
  QApplication app(argc, argv);
  BareWindow window;
  window.setFixedSize(width, height);
  window.setWindowTitle(QStringLiteral("Bare window"));
  if (withText) {
    auto* label = new QLabel(QStringLiteral("Checking for updates ..."), &window);
    label->move(20, 20);
  }
  window.show();
  return app.exec();
}
