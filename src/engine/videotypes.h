// The videos the program opens, in one list: their MIME types, by the names shared-mime-info
// gives them, and the file name extensions of those types as the MIME database (Qt's
// QMimeDatabase over shared-mime-info) knows them. The window's open dialog, trovelle-thumbs -R
// and the desktop's menu and thumbnailer entries all take their videos from here (a test
// holds the entries and the bash completion to it).
#pragma once

#include <QStringList>

#include <string>

// The MIME types of the containers the decoding library reads, each by its own name (never an
// alias), in the order the desktop entries list them.
QStringList VideoMimeTypes();

// The extensions of those videos, lower case without the dot, sorted, each once: what the
// MIME database gives the types above, and the few the program takes that it gives none.
QStringList VideoExtensions();

// Whether the extension of Path, in any case, is one of VideoExtensions.
bool HasVideoExtension(const std::string& Path);
