#include "languages.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

QString TranslationsFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QStringLiteral(TROVELLE_TRANSLATIONS_FROM_BIN));
}

QString InstallTranslations(QCoreApplication& App, const QLocale& Locale) {
    const QString Folder = TranslationsFolder();
    for (const QString& Name : Locale.uiLanguages()) {
        const QLocale Wanted(Name);
        // English needs no translation, and ends the search: a language the user lists
        // after it is only wanted where English is missing.
        if (Wanted.language() == QLocale::English || Wanted.language() == QLocale::C)
            return {};
        // "trovelle_de_AT.qm", else "trovelle_de.qm".
        auto* Own = new QTranslator(&App);
        if (!Own->load(QStringLiteral("trovelle_") + Wanted.name(), Folder)) {
            delete Own;
            continue;
        }
        QCoreApplication::installTranslator(Own);
        auto* Qt = new QTranslator(&App);
        if (Qt->load(QStringLiteral("qtbase_") + Wanted.name(),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(Qt);
        else
            delete Qt;
        return QLocale::languageToCode(Wanted.language());
    }
    return {};
}
