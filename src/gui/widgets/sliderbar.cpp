#include "sliderbar.h"

#include "humanskin.h"

#include "engine/rounding.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Pixel coordinates further out than this are off any screen; clamping to it keeps the
// 32-bit rectangle arithmetic of extreme values defined.
constexpr int64_t kFarPixel = int64_t{1} << 28;

int ToPixel(int64_t X) {
    return static_cast<int>(std::clamp(X, -kFarPixel, kFarPixel));
}

// A rectangle given by its edges, right and bottom exclusive.
QRect Edges(int Left, int Top, int Right, int Bottom) {
    return QRect(Left, Top, Right - Left, Bottom - Top);
}

int BottomOf(const QRect& R) {
    return R.y() + R.height();
}

// Scales the picture into the rectangle; a picture with an alpha channel is blended over
// what is already there, one without is copied opaque.
void DrawPiece(QPainter& Painter, const QRect& Target, const QImage& Piece) {
    if (!Piece.isNull() && !Target.isEmpty())
        Painter.drawImage(Target, Piece);
}

} // namespace

TSliderBar::TSliderBar(QWidget* Parent) : QWidget(Parent) {
    // A windowless control hears every move over it, not only those of a held button.
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
}

void TSliderBar::SetBarLeft(const QImage& Value) {
    FBarLeft = Value;
    update();
}

void TSliderBar::SetBarRight(const QImage& Value) {
    FBarRight = Value;
    update();
}

void TSliderBar::SetBar(const QImage& Value) {
    FBar = Value;
    if (FBar.isNull())
        FBarRect = QRect();
    update();
}

void TSliderBar::SetBarPointer(const QImage& Value) {
    FBarPointer = Value;
    update();
}

void TSliderBar::SetBarPointerDown(const QImage& Value) {
    FBarPointerDown = Value;
    update();
}

void TSliderBar::SetBarProgress(const QImage& Value) {
    FBarProgress = Value;
    update();
}

int64_t TSliderBar::UsableLength() const {
    return int64_t{width()} - LogicalWidth(FBarPointer);
}

int64_t TSliderBar::ValueToPixel(int64_t Value) const {
    return RoundToInt64(static_cast<double>(Value) * FScale);
}

void TSliderBar::UpdateScale() {
    // With no scale to speak of the last one stays, so a zero Max never divides by zero.
    if (FMax != 0)
        FScale = static_cast<double>(UsableLength()) / static_cast<double>(FMax);
}

void TSliderBar::UpdateRects() {
    // Pieces are centred vertically; one taller than the control gets a negative top
    // and is clipped at both edges.
    if (!FBar.isNull()) {
        const int Top = (height() - LogicalHeight(FBar)) / 2;
        FBarRect = Edges(0, Top, width(), Top + LogicalHeight(FBar));
    }
    if (!FBarPointer.isNull()) {
        const int Left = ToPixel(ValueToPixel(FPosition));
        const int Top = (height() - LogicalHeight(FBarPointer)) / 2;
        FPointerRect = QRect(Left, Top, LogicalWidth(FBarPointer), LogicalHeight(FBarPointer));
    }
}

void TSliderBar::SetMax(int64_t Value) {
    FMax = Value;
    UpdateScale();
    if (FPosition > Value)
        FPosition = Value;
    update();
}

void TSliderBar::SetPosition(int64_t Value) {
    // A value whose pointer would stand exactly at the right end is taken as the end
    // itself, so rounding near the end cannot leave the pointer one unit short of Max;
    // one beyond the end is refused.
    const int64_t Pixel = ValueToPixel(Value);
    const int64_t Length = UsableLength();
    if (Pixel < Length)
        FPosition = Value;
    else if (Pixel == Length)
        FPosition = FMax;
    else
        return;
    update();
}

void TSliderBar::SetSelStart(int64_t Value) {
    FSelStart = Value;
    if (FSelStart > FSelEnd)
        FSelEnd = FSelStart;
    // Ends at the left edge of a pointer standing at SelEnd; SetSelEnd reaches its right
    // edge instead. The highlight keeps this place until a selection end is set again.
    FSelRect = Edges(ToPixel(ValueToPixel(FSelStart)), FBarRect.y(), ToPixel(ValueToPixel(FSelEnd)),
                     BottomOf(FBarRect));
    update();
}

void TSliderBar::SetSelEnd(int64_t Value) {
    FSelEnd = Value;
    if (FSelEnd < FSelStart)
        FSelStart = FSelEnd;
    FSelRect = Edges(ToPixel(ValueToPixel(FSelStart)), FBarRect.y(),
                     ToPixel(ValueToPixel(FSelEnd) + LogicalWidth(FBarPointer)), BottomOf(FBarRect));
    update();
}

void TSliderBar::paintEvent(QPaintEvent*) {
    UpdateRects();
    QPainter Painter(this);
    DrawPiece(Painter, FBarRect, FBar);
    DrawPiece(Painter, Edges(FBarRect.x(), FBarRect.y(), LogicalWidth(FBarLeft), BottomOf(FBarRect)), FBarLeft);
    DrawPiece(Painter, Edges(width() - LogicalWidth(FBarRight), FBarRect.y(), width(), BottomOf(FBarRect)),
              FBarRight);
    if (FSelEnd > FSelStart)
        DrawPiece(Painter, FSelRect, FBarProgress);
    if (FisDown && !FBarPointerDown.isNull())
        DrawPiece(Painter, FPointerRect, FBarPointerDown);
    else
        DrawPiece(Painter, FPointerRect, FBarPointer);
    if (hasFocus() && !FPointerRect.isEmpty()) {
        // The pointer's rounded edge in the focus colour.
        constexpr qreal kLine = 1.5;
        const QRectF Edge = QRectF(FPointerRect).adjusted(kLine / 2, kLine / 2, -kLine / 2, -kLine / 2);
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.setPen(QPen(SkinFocusColor(), kLine));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRoundedRect(Edge, Edge.height() / 2, Edge.height() / 2);
    }
}

void TSliderBar::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    UpdateScale();
}

void TSliderBar::DoMouseDown(QMouseEvent* Event) {
    if (OnMouseDown) {
        const QPoint P = Event->position().toPoint();
        OnMouseDown(this, Event->button(), Event->modifiers(), P.x(), P.y());
    }
}

void TSliderBar::DoMouseUp(QMouseEvent* Event) {
    if (OnMouseUp) {
        const QPoint P = Event->position().toPoint();
        OnMouseUp(this, Event->button(), Event->modifiers(), P.x(), P.y());
    }
}

void TSliderBar::DoMouseMove(QMouseEvent* Event) {
    if (OnMouseMove) {
        const QPoint P = Event->position().toPoint();
        OnMouseMove(this, Event->modifiers(), P.x(), P.y());
    }
}

// The base handlers are not called: they would pass the event on to the parent.

void TSliderBar::mousePressEvent(QMouseEvent* Event) {
    DoMouseDown(Event);
    if (Event->button() == Qt::RightButton)
        return;
    const QPoint P = Event->position().toPoint();
    // The hit test uses the pointer where it was last painted.
    if (FPointerRect.contains(P)) {
        FisDown = true;
        FMouseOnPointer = true;
        FGrabOffset = P.x() - FPointerRect.x();
        update();
    }
    DoMouseDown(Event);
}

void TSliderBar::mouseMoveEvent(QMouseEvent* Event) {
    DoMouseMove(Event);
    if (FisDown && FScale != 0.0) {
        // Stored directly, past the setter's end rule. A move beyond either end is
        // ignored rather than clamped.
        const int64_t D = int64_t{Event->position().toPoint().x()} - FGrabOffset;
        if (D >= 0 && D <= UsableLength()) {
            FPosition = RoundToInt64(static_cast<double>(D) / FScale);
            update();
        }
    }
    DoMouseMove(Event);
}

void TSliderBar::mouseReleaseEvent(QMouseEvent* Event) {
    DoMouseUp(Event);
    FisDown = false;
    FMouseOnPointer = false;
    update();
    DoMouseUp(Event);
}

int64_t TSliderBar::KeyTarget(int Key) const {
    // A step moves the pointer by a pixel at least.
    const int64_t Step =
        FScale > 0 ? std::max<int64_t>(1, static_cast<int64_t>(std::ceil(1.0 / FScale - 1e-9))) : 1;
    const int64_t Page = std::max(Step, FMax / 10);
    int64_t Target = FPosition;
    switch (Key) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        Target -= Step;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        Target += Step;
        break;
    case Qt::Key_PageDown:
        Target -= Page;
        break;
    case Qt::Key_PageUp:
        Target += Page;
        break;
    case Qt::Key_Home:
        Target = 0;
        break;
    case Qt::Key_End:
        Target = FMax;
        break;
    default:
        break;
    }
    return std::clamp<int64_t>(Target, 0, std::max<int64_t>(FMax, 0));
}

namespace {

bool IsMoveKey(const QKeyEvent* Event) {
    if (Event->modifiers() != Qt::NoModifier && Event->modifiers() != Qt::KeypadModifier)
        return false;
    switch (Event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TSliderBar::event(QEvent* Event) {
    if (Event->type() == QEvent::ShortcutOverride && IsMoveKey(static_cast<QKeyEvent*>(Event))) {
        Event->accept();
        return true;
    }
    return QWidget::event(Event);
}

void TSliderBar::keyPressEvent(QKeyEvent* Event) {
    if (!IsMoveKey(Event)) {
        QWidget::keyPressEvent(Event);
        return;
    }
    const int64_t Target = KeyTarget(Event->key());
    if (Target == FPosition || FisDown)
        return;
    // Stored directly, as a drag stores it: a step back from the end must leave the end.
    FPosition = Target;
    update();
    if (OnKeyMove)
        OnKeyMove(this);
}
