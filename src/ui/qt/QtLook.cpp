#include "ui/qt/QtLook.h"

#include <cmath>

#include "text/AsciiText.h"

namespace larkspan {
namespace {

QString InstalledFamily(const std::string& family) {
  const std::string key = AsciiLower(family);
  if (key == "ms sans serif" || key == "microsoft sans serif" || key == "arial") {
    return QStringLiteral("Liberation Sans");
  }
  if (key == "verdana" || key == "tahoma") return QStringLiteral("DejaVu Sans");
  return QString::fromStdString(family);
}

}  // namespace

int TwipsToPixels(int twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect PlaceOf(const ControlLayout& control) {
  return QRect(TwipsToPixels(control.left), TwipsToPixels(control.top),
               TwipsToPixels(control.width), TwipsToPixels(control.height));
}

QColor ToQColor(Rgb color) {
  return QColor(static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>(color & 0xFF));
}

QFont ToQFont(const Font& font) {
  QFont result(InstalledFamily(font.family));
  result.setPixelSize(std::max(1, static_cast<int>(std::lround(font.points * 96.0 / 72.0))));
  result.setBold(font.bold);
  return result;
}

QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

QString WithLineBreaks(const std::u16string& text) {
  QString result;
  result.reserve(static_cast<qsizetype>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      result += QLatin1Char('\n');
    } else {
      result += QChar(text[i]);
    }
  }
  return result;
}

}  // namespace larkspan
