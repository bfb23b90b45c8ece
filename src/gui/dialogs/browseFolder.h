// BrowseForFolder: lets the user pick a folder and returns its path. The main window
// controller uses it for "&Select Save Folder". The chooser is modal, owned by the given
// window and carries the given title.
#pragma once

#include <QFileDialog>
#include <QString>

// The chosen folder's full path, without a trailing "/" (except for "/" itself), or an
// empty text when the user cancels. A non-empty InitialFolder is where the chooser opens.
// Options are the chooser's; tests add QFileDialog::DontUseNativeDialog to drive it.
QString BrowseForFolder(QWidget* Owner, const QString& Title, const QString& InitialFolder,
                        QFileDialog::Options Options = QFileDialog::ShowDirsOnly);
