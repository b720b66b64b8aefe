#pragma once
#include <QCursor>
#include <QPixmap>
#include <QString>
#include <string>

namespace larkspan {

// The pictures live in assets/ beside the program. Tests run from another folder of the
// build, so the copy in bin/ and the source tree's folder are tried as well.
QString AssetPath(const std::string& fileName);

// A null pixmap when the name is empty or the file is missing or unreadable: the control
// then shows no picture.
QPixmap LoadPicture(const std::string& fileName);

// The pointing hand over clickable pictures; Qt's own hand when its file is missing.
QCursor HandCursor();

}  // namespace larkspan
