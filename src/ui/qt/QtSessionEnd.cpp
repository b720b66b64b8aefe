#include "ui/qt/QtSessionEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <stdexcept>

#include "ui/Ui.h"

namespace larkspan {
namespace {

int pipeEnds[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
}

}  // namespace

QtSessionEnd::QtSessionEnd() {
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe");
  notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [] { EndProgram(); });
  struct sigaction action {};
  action.sa_handler = &OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}

QtSessionEnd::~QtSessionEnd() {
  std::signal(SIGTERM, SIG_DFL);
}

}  // namespace larkspan
