// The pictures of the program's windows, compiled into the program from
// resources/trovelle.qrc (drawn by resources/tools/makeart.cpp). The forms load them by
// file name; the window icon comes in several sizes.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// A picture of resources/images by file name ("monitor.png"). On a screen scaled by more
// than 1 it is the picture made at twice the size ("monitor@2x.png", device pixel ratio
// 2, the same size in the window's coordinates). Throws std::runtime_error when the
// program was built without it.
QImage Artwork(const QString& Name);

// The application icon in every size it is drawn at.
QIcon ApplicationIcon();
