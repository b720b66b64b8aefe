#pragma once
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace larkspan::assets {

// A transparent picture with a painter set up for smooth drawing.
class Canvas {
 public:
  Canvas(int width, int height);
  QPainter& Painter() { return painter_; }
  QImage Finish();

 private:
  QImage image_;
  QPainter painter_;
};

// The house colours of the pictures.
inline const QColor kBlue(0x2F, 0x74, 0xD8);
inline const QColor kBlueLight(0x7F, 0xB4, 0xF5);
inline const QColor kBlueDark(0x1B, 0x4E, 0xA0);
inline const QColor kGreen(0x58, 0xB0, 0x2A);
inline const QColor kGreenLight(0xA6, 0xDB, 0x62);
inline const QColor kGreenDark(0x3A, 0x7D, 0x16);
inline const QColor kRed(0xD8, 0x32, 0x2A);
inline const QColor kRedLight(0xF5, 0x8A, 0x7E);
inline const QColor kRedDark(0x9A, 0x1A, 0x14);

// A glossy ball: lighter at the top left, darker at the rim.
void FillBall(QPainter& painter, const QRectF& box, QColor light, QColor base, QColor dark);
// A glossy rounded rectangle with a darker outline.
void FillPill(QPainter& painter, const QRectF& box, qreal radius, QColor light, QColor dark);
// Bold sans-serif text of the given pixel size, centred in the box.
void DrawCentredText(QPainter& painter, const QRectF& box, const QString& text, int pixelSize,
                     QColor color);
// A downward arrow filling the box.
QPainterPath DownArrow(const QRectF& box);

}  // namespace larkspan::assets
