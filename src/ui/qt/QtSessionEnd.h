#pragma once
#include <QObject>

class QSocketNotifier;

namespace larkspan {

// The end of the desktop session: the session's manager sends SIGTERM. The program then ends as
// its own end does; the download's file keeps every chunk written so far. The signal only
// leaves a byte in a pipe; the event loop, which every yield of a running download passes
// through, reads it and ends the program there. Constructed after the QApplication.
class QtSessionEnd final : public QObject {
 public:
  QtSessionEnd();
  ~QtSessionEnd() override;

 private:
  QSocketNotifier* notifier_;
};

}  // namespace larkspan
