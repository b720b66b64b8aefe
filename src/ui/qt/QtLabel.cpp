#include "ui/qt/QtLabel.h"

#include <QLabel>
#include <algorithm>

#include "ui/qt/QtLook.h"

namespace larkspan {

QtLabel::QtLabel(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout), label_(new QLabel(place.parent)), pacer_(*place.pacer) {
  label_->setObjectName(QString::fromStdString(layout.name));
  label_->setFont(place.FontFor(layout));
  label_->setTextFormat(Qt::PlainText);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setWordWrap(layout.wordWrap);
  label_->setMargin(0);
  label_->setIndent(0);
  label_->setFocusPolicy(Qt::NoFocus);
  Reset();
}

void QtLabel::SetCaption(const std::u16string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  pacer_.Changed(*this);
}

void QtLabel::SetForeColor(Rgb color) {
  if (color == foreColor_) return;
  foreColor_ = color;
  pacer_.Changed(*this);
}

void QtLabel::ShowRecorded() {
  if (shownColor_ != foreColor_) {
    shownColor_ = foreColor_;
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, ToQColor(foreColor_));
    label_->setPalette(palette);
  }
  if (shownCaption_ != caption_) {
    shownCaption_ = caption_;
    label_->setText(WithLineBreaks(caption_));
    FitText();
  }
}

void QtLabel::Reset() {
  const ControlLayout& layout = Layout();
  label_->setGeometry(PlaceOf(layout));
  // Without a back colour the label is drawn on its window's or frame's surface.
  label_->setAutoFillBackground(layout.backColor.has_value());
  if (layout.backColor) {
    QPalette palette = label_->palette();
    palette.setColor(QPalette::Window, ToQColor(*layout.backColor));
    label_->setPalette(palette);
  }
  ResetWidgetState();
  // The place is the layout's again: the caption is fitted afresh even when it is unchanged.
  caption_ = layout.caption;
  foreColor_ = layout.foreColor.value_or(0x000000);
  shownCaption_.reset();
  shownColor_.reset();
  ShowRecorded();
}

QWidget* QtLabel::Widget() const {
  return label_;
}

void QtLabel::FitText() {
  const ControlLayout& layout = Layout();
  const QRect place = PlaceOf(layout);
  if (layout.autoSize) {
    label_->resize(label_->sizeHint());
  } else if (layout.wordWrap) {
    label_->resize(place.width(), std::max(place.height(), label_->heightForWidth(place.width())));
  }
}

}  // namespace larkspan
