#include "openurl.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool OpenURL(const std::string& Url) {
    const QString Text = QString::fromStdString(Url);
    const QUrl Target = Text.startsWith('/') ? QUrl::fromLocalFile(Text) : QUrl(Text);
    return QDesktopServices::openUrl(Target);
}
