// Draws every picture of the program into the folder given as the argument (assets/ of the
// source tree), so the pictures can be redrawn and reviewed like code.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "Artwork.h"

using larkspan::assets::QuestionBall;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <assets folder>\n", argv[0]);
    return 2;
  }
  // Text needs fonts, fonts need a GUI application; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir folder(QString::fromLocal8Bit(argv[1]));

  namespace a = larkspan::assets;
  const std::vector<std::pair<const char*, std::function<QImage()>>> pictures = {
      {"update_icon.png", [] { return QuestionBall(16, 16); }},
      {"update_icon32.png", [] { return QuestionBall(32, 32); }},
      // The window icon's second 16 x 16 image: 256 colours, each pixel shown or not.
      {"update_icon_256.png",
       [] {
         return QuestionBall(16, 16).convertToFormat(
             QImage::Format_Indexed8, Qt::ThresholdDither | Qt::ThresholdAlphaDither);
       }},
      {"help_button.png", [] { return QuestionBall(50, 46); }},
      {"download_arrow.png", a::DownloadArrow},
      {"cancel_cross.png", a::CancelCross},
      {"stop.png", a::StopBall},
      {"run_file.png", a::RunBall},
      {"close_power.png", a::ClosePower},
      {"download_icon.png", a::DownloadGlobe},
      {"ostrafel_box.png", a::OstrafelBox},
      {"read_more.png", a::ReadMoreButton},
      {"download_button.png", a::DownloadButton},
      {"hand_cursor.png", a::HandCursor},
  };
  int failures = 0;
  for (const auto& [name, draw] : pictures) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!draw().save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
