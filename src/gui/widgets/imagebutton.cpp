#include "imagebutton.h"

#include "humanskin.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// How far the pressed face moves right and down when UseDown is on.
constexpr int kDownShift = 2;
// The focus mark: a line this wide along the face's rounded edge.
constexpr qreal kFocusLine = 2;
constexpr qreal kFocusRadius = 5;

} // namespace

TImageButton::TImageButton(QWidget* Parent) : QWidget(Parent) {
    // Moves over the button arrive without a held button too.
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
}

void TImageButton::SetImage(const QImage& Value) {
    FImage = Value;
    update();
}

void TImageButton::SetImageOver(const QImage& Value) {
    FImageOver = Value;
    update();
}

void TImageButton::SetImageDown(const QImage& Value) {
    FImageDown = Value;
    update();
}

void TImageButton::SetImageDisable(const QImage& Value) {
    FImageDisable = Value;
    update();
}

void TImageButton::SetFaceEnabled(bool Value) {
    // Deliberately not passed on to QWidget::setEnabled: the widget keeps the mouse.
    FEnabled = Value;
    update();
}

void TImageButton::Click() {
    if (OnClick)
        OnClick(this);
}

void TImageButton::paintEvent(QPaintEvent*) {
    // The disabled face wins over every other state, the pressed face over hover.
    const QImage* Face = &FImage;
    int Shift = 0;
    if (!FEnabled) {
        Face = &FImageDisable;
    } else if (FPressed) {
        Face = FImageDown.isNull() ? &FImageOver : &FImageDown;
        Shift = FUseDown ? kDownShift : 0;
    } else if (FMouseIn && !FImageOver.isNull()) {
        Face = &FImageOver;
    }
    FImageRect = QRect(Shift, Shift, LogicalWidth(*Face), LogicalHeight(*Face));
    QPainter Painter(this);
    if (!Face->isNull())
        Painter.drawImage(FImageRect, *Face);
    if (hasFocus()) {
        const QRect Edge = Face->isNull() ? rect() : FImageRect;
        const qreal Inset = kFocusLine / 2;
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.setPen(QPen(SkinFocusColor(), kFocusLine));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRoundedRect(QRectF(Edge).adjusted(Inset, Inset, -Inset, -Inset), kFocusRadius,
                                kFocusRadius);
    }
}

void TImageButton::enterEvent(QEnterEvent* Event) {
    QWidget::enterEvent(Event);
    FMouseIn = true;
    update();
}

void TImageButton::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    FMouseIn = false;
    update();
}

// The base mouse handlers are not called: they would pass the event on to the parent.

void TImageButton::mousePressEvent(QMouseEvent* Event) {
    FPressed = true;
    FClickPressed = Event->button() == Qt::LeftButton;
    update();
}

void TImageButton::mouseMoveEvent(QMouseEvent* Event) {
    // Leaving the face ends the pressed look for good; coming back does not restore it,
    // though a release over the face still clicks.
    if (!FImageRect.contains(Event->position().toPoint())) {
        FPressed = false;
        update();
    }
}

void TImageButton::mouseReleaseEvent(QMouseEvent* Event) {
    FPressed = false;
    update();
    // The whole control counts, whichever face was drawn and wherever in it the press was.
    const bool Clicked = FClickPressed && rect().contains(Event->position().toPoint());
    FClickPressed = false;
    if (Clicked && FEnabled && Event->button() == Qt::LeftButton)
        Click();
}

void TImageButton::keyPressEvent(QKeyEvent* Event) {
    if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) &&
        Event->modifiers() == Qt::NoModifier) {
        if (FEnabled)
            Click();
        return;
    }
    QWidget::keyPressEvent(Event);
}
