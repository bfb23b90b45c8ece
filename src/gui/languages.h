// The window's languages. English is the language the program is written in; every other
// one is a translation, trovelle_LANG.qm, in the program's translations folder
// (share/trovelle/translations beside the folder of the executable, in the build folder as
// in an installation). With it goes Qt's own translation of the same language (the
// standard buttons, the file and folder choosers) when the system has one.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// Where the program's translations are, found from the executable's folder.
QString TranslationsFolder();

// Installs into App, for the first of Locale's interface languages that is English or has
// a translation, that translation and Qt's own of the same language; call it before any
// window is made. QLocale::system() follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG. The
// translators belong to App. Returns the language taken ("de", "fr"), or an empty text
// when the window stays in English.
QString InstallTranslations(QCoreApplication& App, const QLocale& Locale = QLocale::system());
