// Opening a link through the desktop: the one platform service that needs the GUI
// library. It lives apart from platform.h so that programs without a window (the
// command-line tool) do not link it.
#pragma once

#include <string>

// Hands a URL (web page, mail link, local folder or file) to the desktop; false when nothing
// could be started to open it (no launcher).
bool OpenURL(const std::string& Url);
