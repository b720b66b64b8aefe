#pragma once
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>

#include "ui/Layout.h"

namespace larkspan {

// Layout units to screen units. Qt scales logical pixels on high-DPI screens itself, so a
// twip is always 1/15 of a logical pixel here.
int TwipsToPixels(int twips);
QRect PlaceOf(const ControlLayout& control);

QColor ToQColor(Rgb color);

// The layout's fonts come from another platform; each maps to an installed family of the
// same metrics where one exists. The size is set in pixels so that the layout does not
// depend on the screen's dots per inch.
QFont ToQFont(const Font& font);

QString ToQString(const std::u16string& text);
// CR LF, lone CR and lone LF all become Qt's line break.
QString WithLineBreaks(const std::u16string& text);

}  // namespace larkspan
