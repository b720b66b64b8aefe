#include "ui/qt/QtAssets.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <utility>

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

// Two images of the same size, as a Windows icon file holds them: the one in 256 colours for a
// screen of 8 bits or fewer, the full-colour one for every other.
class DepthIconEngine final : public QIconEngine {
 public:
  DepthIconEngine(QPixmap full, QPixmap indexed)
      : full_(std::move(full)), indexed_(std::move(indexed)) {}
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode /*mode*/,
             QIcon::State /*state*/) override {
    painter->drawPixmap(rect, ForScreen());
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    const QPixmap& shown = ForScreen();
    if (shown.width() <= size.width() && shown.height() <= size.height()) return shown;
    return shown.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    return {full_.size()};
  }
  QIconEngine* clone() const override { return new DepthIconEngine(*this); }

 private:
  const QPixmap& ForScreen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->depth() <= 8 ? indexed_ : full_;
  }
  QPixmap full_;
  QPixmap indexed_;
};

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

QIcon WindowIcon(const std::string& fileName) {
  QPixmap full = LoadPicture(fileName);
  if (full.isNull()) return {};
  const std::size_t dot = fileName.rfind('.');
  QPixmap indexed = LoadPicture(fileName.substr(0, dot) + "_256" +
                                (dot == std::string::npos ? "" : fileName.substr(dot)));
  if (indexed.size() != full.size()) return QIcon(full);
  return QIcon(new DepthIconEngine(std::move(full), std::move(indexed)));
}

QCursor HandCursor() {
  const QPixmap hand = LoadPicture("hand_cursor.png");
  if (hand.isNull()) return QCursor(Qt::PointingHandCursor);
  return QCursor(hand, kHandHotX, kHandHotY);
}

}  // namespace larkspan
