#include "ui/qt/QtAssets.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStringList>

namespace larkspan {
namespace {

// The fingertip of the hand in hand_cursor.png (tools/make-assets draws it there).
constexpr int kHandHotX = 11;
constexpr int kHandHotY = 1;

QStringList AssetFolders() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  QStringList folders{programFolder + QStringLiteral("/assets/"),
                      programFolder + QStringLiteral("/../bin/assets/")};
  const QString sourceDir = qEnvironmentVariable("LARKSPAN_SOURCE_DIR");
  if (!sourceDir.isEmpty()) folders << sourceDir + QStringLiteral("/assets/");
  return folders;
}

}  // namespace

QString AssetPath(const std::string& fileName) {
  if (fileName.empty()) return {};
  const QString name = QString::fromStdString(fileName);
  for (const QString& folder : AssetFolders()) {
    if (QFileInfo::exists(folder + name)) return folder + name;
  }
  return {};
}

QPixmap LoadPicture(const std::string& fileName) {
  const QString path = AssetPath(fileName);
  if (path.isEmpty()) return {};
  // Read with the format that the name's suffix gives. Left to guess, the reader first loads
  // every image-format plugin and asks each of them, which slows the first window's start.
  QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
  reader.setAutoDetectImageFormat(false);
  const QImage picture = reader.read();
  return picture.isNull() ? QPixmap(path) : QPixmap::fromImage(picture);
}

QCursor HandCursor() {
  const QPixmap hand = LoadPicture("hand_cursor.png");
  if (hand.isNull()) return QCursor(Qt::PointingHandCursor);
  return QCursor(hand, kHandHotX, kHandHotY);
}

}  // namespace larkspan
