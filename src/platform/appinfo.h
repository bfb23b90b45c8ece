// What the program says about itself: its title (captions of the dialogs and message
// boxes), its version, the publisher, web address and support mail address shown in the
// about box, and its licence and credits (the about box, and what `--version` prints in
// both programs). The publisher and the addresses are chosen when the program is built
// (CMake cache variables TROVELLE_PUBLISHER, TROVELLE_WEB_ADDRESS, TROVELLE_MAIL_ADDRESS)
// and reach the code as compile definitions; no other file names an address.
//
// Widget-free: the command-line tool includes it too (target trovelle_appinfo).
#pragma once

#include <QtGlobal>

#include <string>

constexpr const char* kApplicationTitle = "Trovelle";
constexpr const char* kApplicationVersion = TROVELLE_VERSION;
constexpr const char* kPublisher = TROVELLE_PUBLISHER;
constexpr const char* kWebAddress = TROVELLE_WEB_ADDRESS;
constexpr const char* kMailAddress = TROVELLE_MAIL_ADDRESS;

// The licence, as an SPDX identifier and in words.
constexpr const char* kLicenseId = "GPL-3.0-or-later";
constexpr const char* kLicenseNotice =
    "License GPLv3+: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl-3.0.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";
// What the program is built with, one line each.
constexpr const char* kCredits =
    "Qt 6 (LGPL-3.0) for the window, by The Qt Company and contributors\n"
    "FFmpeg (libavformat, libavcodec, libswscale) for decoding, by the FFmpeg developers\n"
    "SDL 1.2 (LGPL-2.1) for the player's picture, by Sam Lantinga and contributors\n"
    "FreeImage (under its GPL option) for the JPEG, PNG and WebP files, by the FreeImage project\n"
    "Pango and Cairo (LGPL-2.1) for the contact sheets' lettering and drawing, by their developers\n"
    "Open Sans (Apache-2.0), the lettering of the windows, by Steve Matteson";

// The licence and the credits in a line each, for the about box, which shows them in the
// user's language.
constexpr const char* kLicenseLine =
    QT_TRANSLATE_NOOP("TaboutDlg", "Free software under the GNU GPL, version 3 or later (GPL-3.0-or-later).");
constexpr const char* kCreditsLine =
    QT_TRANSLATE_NOOP("TaboutDlg", "Built with Qt, FFmpeg, SDL and FreeImage; lettering in Open Sans.");

// What `PROGRAM --version` prints: name and version, copyright, licence and credits.
inline std::string VersionText(const std::string& Program) {
    return Program + " (" + kApplicationTitle + ") " + kApplicationVersion + "\nCopyright (C) " + kPublisher +
           "\n" + kLicenseNotice + "\n\nBuilt with:\n" + kCredits + "\n";
}
