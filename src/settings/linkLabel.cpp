#include "linkLabel.h"

#include <QMouseEvent>

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
