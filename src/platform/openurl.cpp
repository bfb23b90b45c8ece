#include "openurl.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

void OpenURL(const std::string& Url) {
    const QString Text = QString::fromStdString(Url);
    const QUrl Target = Text.startsWith('/') ? QUrl::fromLocalFile(Text) : QUrl(Text);
    QDesktopServices::openUrl(Target);
}
