#include <QLinearGradient>

#include "Artwork.h"
#include "Canvas.h"

namespace larkspan::assets {
namespace {

// The box seen from the front right: front face, right side and lid.
struct BoxFaces {
  QPolygonF front, side, lid;
};

// The box keeps to the left of its picture: the update window stretches the picture to a
// place whose right part lies under the product description.
BoxFaces BoxGeometry() {
  const QPointF depth(28, -20);
  const QRectF front(8, 36, 122, 148);
  BoxFaces faces;
  faces.front = QPolygonF(front);
  faces.side << front.topRight() << front.topRight() + depth << front.bottomRight() + depth
             << front.bottomRight();
  faces.lid << front.topLeft() << front.topLeft() + depth << front.topRight() + depth
            << front.topRight();
  return faces;
}

void DrawFilmStrip(QPainter& p, const QRectF& strip) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x22, 0x22, 0x2A));
  p.drawRoundedRect(strip, 3, 3);
  p.setBrush(QColor(0xF2, 0xF2, 0xF2));
  for (qreal x = strip.left() + 4; x + 5 < strip.right(); x += 10) {
    p.drawRect(QRectF(x, strip.top() + 2.5, 5, 4));
    p.drawRect(QRectF(x, strip.bottom() - 6.5, 5, 4));
  }
  QPainterPath play;
  const QPointF c = strip.center();
  play.moveTo(c + QPointF(-7, -9));
  play.lineTo(c + QPointF(10, 0));
  play.lineTo(c + QPointF(-7, 9));
  play.closeSubpath();
  p.setBrush(QColor(0xF7, 0x9A, 0x1E));
  p.drawPath(play);
}

}  // namespace

QImage OstrafelBox() {
  Canvas canvas(200, 192);
  QPainter& p = canvas.Painter();
  const BoxFaces faces = BoxGeometry();
  const QRectF front = faces.front.boundingRect();
  QLinearGradient frontFill(front.topLeft(), front.bottomRight());
  frontFill.setColorAt(0.0, QColor(0x8E, 0xD1, 0x4A));
  frontFill.setColorAt(1.0, QColor(0x2F, 0x7A, 0x1E));
  p.setPen(QPen(QColor(0x1E, 0x4D, 0x12), 1.0));
  p.setBrush(frontFill);
  p.drawPolygon(faces.front);
  p.setBrush(QColor(0x27, 0x63, 0x18));
  p.drawPolygon(faces.side);
  p.setBrush(QColor(0xB5, 0xE3, 0x7E));
  p.drawPolygon(faces.lid);

  DrawCentredText(p, QRectF(front.left(), front.top() + 10, front.width(), 30),
                  QStringLiteral("Ostrafel"), 22, Qt::white);
  DrawCentredText(p, QRectF(front.left(), front.top() + 38, front.width(), 14),
                  QStringLiteral("MULTIMEDIA CONVERTER"), 8, QColor(0xE8, 0xF6, 0xD8));
  DrawFilmStrip(p, QRectF(front.left() + 16, front.top() + 64, front.width() - 32, 40));
  DrawCentredText(p, QRectF(front.left(), front.bottom() - 34, front.width(), 14),
                  QStringLiteral("Video \u2022 Audio \u2022 DVD"), 10, Qt::white);
  DrawCentredText(p, QRectF(front.left(), front.bottom() - 18, front.width(), 12),
                  QStringLiteral("by Quillmere"), 8, QColor(0xE8, 0xF6, 0xD8));

  // The product name runs up the side.
  p.save();
  p.translate(front.right() + 17, front.center().y() - 8);
  p.rotate(-90);
  p.shear(0, 0);
  DrawCentredText(p, QRectF(-60, -8, 120, 16), QStringLiteral("Ostrafel"), 13, Qt::white);
  p.restore();
  return canvas.Finish();
}

QImage ReadMoreButton() {
  Canvas canvas(129, 51);
  QPainter& p = canvas.Painter();
  FillPill(p, QRectF(2, 4, 125, 43), 12, kGreenLight, kGreen);
  const QRectF sign(10, 13, 25, 25);
  p.setPen(QPen(kGreenDark, 1.0));
  p.setBrush(Qt::white);
  p.drawEllipse(sign);
  DrawCentredText(p, sign.adjusted(0, 1, 0, 0), QStringLiteral("?"), 19, kGreen);
  DrawCentredText(p, QRectF(37, 4, 86, 43), QStringLiteral("Read More"), 14, Qt::white);
  return canvas.Finish();
}

QImage DownloadButton() {
  Canvas canvas(116, 51);
  QPainter& p = canvas.Painter();
  FillPill(p, QRectF(2, 4, 112, 43), 12, kBlueLight, kBlue);
  p.setPen(QPen(kBlueDark, 1.0));
  p.setBrush(Qt::white);
  p.drawPath(DownArrow(QRectF(9, 14, 16, 23)));
  DrawCentredText(p, QRectF(26, 4, 86, 43), QStringLiteral("DOWNLOAD"), 12, Qt::white);
  return canvas.Finish();
}

QImage HandCursor() {
  Canvas canvas(32, 32);
  QPainter& p = canvas.Painter();
  // A cursor reads best with crisp one-pixel edges, so no antialiasing and half-pixel lines.
  p.setRenderHint(QPainter::Antialiasing, false);
  auto rounded = [](QRectF box, qreal radius) {
    QPainterPath part;
    part.addRoundedRect(box, radius, radius);
    return part;
  };
  QPainterPath thumb;
  thumb.moveTo(9.5, 18.5);
  thumb.lineTo(5.5, 15.5);
  thumb.lineTo(3.5, 16.5);
  thumb.lineTo(3.5, 18.5);
  thumb.lineTo(9.5, 25.5);
  thumb.closeSubpath();
  QPainterPath hand = rounded({8.5, 0.5, 6, 19}, 3);  // index finger, tip at (11, 1)
  for (const QPainterPath& part :
       {rounded({14.5, 9.5, 4, 9}, 2), rounded({18.5, 10.5, 4, 9}, 2),
        rounded({22.5, 11.5, 4, 9}, 2), rounded({8.5, 14.5, 18, 14}, 4), thumb}) {
    hand = hand.united(part);
  }
  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(Qt::white);
  p.drawPath(hand.simplified());
  // The gaps between the folded fingers.
  for (qreal x : {14.5, 18.5, 22.5})
    p.drawLine(QPointF(x, 10.5 + (x - 14.5) / 4), QPointF(x, 15.5));
  return canvas.Finish();
}

}  // namespace larkspan::assets
