#include "linkLabel.h"

#include "platform/appinfo.h"
#include "platform/openurl.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMouseEvent>

void OpenLink(QWidget* Owner, const std::string& Url) {
    if (!OpenURL(Url))
        QMessageBox::warning(Owner, QString::fromUtf8(kApplicationTitle),
                             QCoreApplication::translate(
                                 "TLinkLabel", "Nothing on this system could open %1 (no launcher such "
                                               "as xdg-open was found).")
                                 .arg(QString::fromStdString(Url)));
}

TLinkLabel::TLinkLabel(QWidget* Parent) : QLabel(Parent) {
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mousePressEvent(QMouseEvent* Event) {
    FPressed = Event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(Event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* Event) {
    // Like a button: the click counts only when the release is still over the label.
    const bool Click =
        FPressed && Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(Event);
    if (Click && OnClick)
        OnClick(this);
}
