#pragma once
#include <QCursor>
#include <QIcon>
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

// A window's icon: its picture, and, where the assets hold one beside it under the same name
// with "_256" before the suffix, the same picture in 256 colours, which a screen of 256 colours
// or fewer shows instead. A null icon when the picture is missing.
QIcon WindowIcon(const std::string& fileName);

// The pointing hand over clickable pictures; Qt's own hand when its file is missing.
QCursor HandCursor();

}  // namespace larkspan
