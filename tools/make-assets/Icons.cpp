#include <QtMath>

#include "Artwork.h"
#include "Canvas.h"

namespace larkspan::assets {
namespace {

QRectF Square(int side, qreal inset) {
  return QRectF(0, 0, side, side).adjusted(inset, inset, -inset, -inset);
}

}  // namespace

QImage QuestionBall(int width, int height) {
  Canvas canvas(width, height);
  QPainter& p = canvas.Painter();
  const qreal side = qMin(width, height);
  const QRectF ball((width - side) / 2, (height - side) / 2, side, side);
  FillBall(p, ball, kBlueLight, kBlue, kBlueDark);
  DrawCentredText(p, ball.adjusted(0, side * 0.04, 0, 0), QStringLiteral("?"), qRound(side * 0.78),
                  Qt::white);
  return canvas.Finish();
}

QImage DownloadArrow() {
  Canvas canvas(16, 16);
  QPainter& p = canvas.Painter();
  p.setPen(QPen(kBlueDark, 1.0));
  p.setBrush(kBlue);
  p.drawPath(DownArrow(QRectF(2.5, 1.5, 11, 13)));
  return canvas.Finish();
}

QImage CancelCross() {
  Canvas canvas(16, 16);
  QPainter& p = canvas.Painter();
  for (const auto& [color, width] : {std::pair{kRedDark, 4.2}, std::pair{kRed, 2.6}}) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  }
  return canvas.Finish();
}

QImage StopBall() {
  Canvas canvas(20, 20);
  QPainter& p = canvas.Painter();
  FillBall(p, Square(20, 0.5), kRedLight, kRed, kRedDark);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 6.5, 7, 7));
  return canvas.Finish();
}

QImage RunBall() {
  Canvas canvas(20, 20);
  QPainter& p = canvas.Painter();
  FillBall(p, Square(20, 0.5), kBlueLight, kBlue, kBlueDark);
  QPainterPath play;
  play.moveTo(7.5, 5.5);
  play.lineTo(15, 10);
  play.lineTo(7.5, 14.5);
  play.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(play);
  return canvas.Finish();
}

QImage ClosePower() {
  Canvas canvas(24, 24);
  QPainter& p = canvas.Painter();
  FillPill(p, Square(24, 0.5), 5, kRedLight, kRed);
  p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  // The ring opens at the top, where the bar stands.
  p.drawArc(QRectF(6, 6.5, 12, 12), 120 * 16, 300 * 16);
  p.drawLine(QPointF(12, 4.5), QPointF(12, 11.5));
  return canvas.Finish();
}

QImage DownloadGlobe() {
  Canvas canvas(32, 32);
  QPainter& p = canvas.Painter();
  const QRectF globe(4, 4, 24, 24);
  FillBall(p, globe, kBlueLight, kBlue, kBlueDark);
  // Meridians and parallels.
  p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(globe.adjusted(7, 0.5, -7, -0.5));
  p.drawLine(QPointF(16, 4.5), QPointF(16, 27.5));
  p.drawLine(QPointF(4.5, 16), QPointF(27.5, 16));
  p.drawLine(QPointF(7, 10), QPointF(25, 10));
  p.drawLine(QPointF(7, 22), QPointF(25, 22));
  // The green arrow curves round the globe from the top left to the bottom right.
  const QRectF orbit(1.5, 1.5, 29, 29);
  p.setPen(QPen(kGreenDark, 4.2, Qt::SolidLine, Qt::FlatCap));
  p.drawArc(orbit, 150 * 16, -150 * 16);
  p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::FlatCap));
  p.drawArc(orbit, 150 * 16, -150 * 16);
  const qreal end = qDegreesToRadians(0.0);
  const QPointF tip(16 + 14.5 * qCos(end), 16 - 14.5 * qSin(end));
  QPainterPath head;
  head.moveTo(tip + QPointF(-4.5, -1));
  head.lineTo(tip + QPointF(4.5, -1));
  head.lineTo(tip + QPointF(0, 6));
  head.closeSubpath();
  p.setPen(QPen(kGreenDark, 1.0));
  p.setBrush(kGreen);
  p.drawPath(head);
  return canvas.Finish();
}

}  // namespace larkspan::assets
