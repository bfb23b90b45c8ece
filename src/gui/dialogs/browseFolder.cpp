#include "browseFolder.h"

#include <QDir>
#include <QUrl>

QString BrowseForFolder(QWidget* Owner, const QString& Title, const QString& InitialFolder,
                        QFileDialog::Options Options) {
    // Only folders of the file system: a remote or virtual place the desktop's chooser may
    // offer has no local path, and counts as no choice.
    const QUrl Chosen = QFileDialog::getExistingDirectoryUrl(Owner, Title, QUrl::fromLocalFile(InitialFolder),
                                                             Options | QFileDialog::ShowDirsOnly,
                                                             QStringList{QStringLiteral("file")});
    if (!Chosen.isLocalFile())
        return {};
    // The caller appends the one trailing "/" itself.
    return QDir::cleanPath(Chosen.toLocalFile());
}
