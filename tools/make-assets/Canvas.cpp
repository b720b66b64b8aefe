#include "Canvas.h"

#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>

namespace larkspan::assets {

Canvas::Canvas(int width, int height) : image_(width, height, QImage::Format_ARGB32_Premultiplied) {
  image_.fill(Qt::transparent);
  painter_.begin(&image_);
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.setRenderHint(QPainter::TextAntialiasing);
}

QImage Canvas::Finish() {
  painter_.end();
  return image_;
}

void FillBall(QPainter& painter, const QRectF& box, QColor light, QColor base, QColor dark) {
  QRadialGradient gradient(box.left() + box.width() * 0.35, box.top() + box.height() * 0.3,
                           box.width() * 0.75);
  gradient.setColorAt(0.0, light);
  gradient.setColorAt(0.55, base);
  gradient.setColorAt(1.0, dark);
  painter.setPen(QPen(dark, 1.0));
  painter.setBrush(gradient);
  painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
}

void FillPill(QPainter& painter, const QRectF& box, qreal radius, QColor light, QColor dark) {
  QLinearGradient gradient(box.topLeft(), box.bottomLeft());
  gradient.setColorAt(0.0, light);
  gradient.setColorAt(0.5, dark.lighter(125));
  gradient.setColorAt(1.0, dark);
  painter.setPen(QPen(dark.darker(130), 1.0));
  painter.setBrush(gradient);
  painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  // A soft shine over the upper half.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 60));
  const QRectF shine(box.left() + 3, box.top() + 2, box.width() - 6, box.height() * 0.42);
  painter.drawRoundedRect(shine, radius * 0.8, radius * 0.8);
}

void DrawCentredText(QPainter& painter, const QRectF& box, const QString& text, int pixelSize,
                     QColor color) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(box, Qt::AlignCenter, text);
}

QPainterPath DownArrow(const QRectF& box) {
  const qreal shaft = box.width() * 0.36;
  const qreal headTop = box.top() + box.height() * 0.5;
  const qreal middle = box.center().x();
  QPainterPath path;
  path.moveTo(middle - shaft / 2, box.top());
  path.lineTo(middle + shaft / 2, box.top());
  path.lineTo(middle + shaft / 2, headTop);
  path.lineTo(box.right(), headTop);
  path.lineTo(middle, box.bottom());
  path.lineTo(box.left(), headTop);
  path.lineTo(middle - shaft / 2, headTop);
  path.closeSubpath();
  return path;
}

}  // namespace larkspan::assets
