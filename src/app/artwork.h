// The pictures of the program's windows, compiled into the program from
// resources/trovelle.qrc (drawn by resources/tools/makeart.cpp). The forms load them by
// file name; the window icon comes in several sizes.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// A picture of resources/images by file name ("monitor.png"). Throws std::runtime_error
// when the program was built without it.
QImage Artwork(const QString& Name);

// The application icon in every size it is drawn at.
QIcon ApplicationIcon();
