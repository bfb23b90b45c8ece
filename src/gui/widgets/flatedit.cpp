#include "flatedit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QColor kColorFocused(255, 255, 255);
const QColor kColorBorder(160, 150, 131);
const QColor kColorFlat(235, 234, 225);

constexpr int kDefaultWidth = 121;
constexpr int kDefaultHeight = 19;
// The frame: a one-pixel border line and two pixels of field colour inside it.
constexpr int kFrameWidth = 3;
// How far from a whole screen pixel an edge may lie and still count as on it.
constexpr qreal kPixelSlack = 0.01;
// The line edit's own room between its contents' edge and the text, left and right.
constexpr int kTextInset = 2;
constexpr QChar kBackspace(8);
const char* const kNotAnInteger = QT_TRANSLATE_NOOP("TMyCustomFlatEdit", "'%1' is not a valid integer value");

// Optional sign and decimal digits, nothing else, within the 32-bit range.
bool ParseInteger(const QString& Text, int32_t& Value) {
    qsizetype I = 0;
    bool Negative = false;
    if (I < Text.size() && (Text[I] == u'+' || Text[I] == u'-')) {
        Negative = Text[I] == u'-';
        ++I;
    }
    if (I == Text.size())
        return false;
    int64_t Magnitude = 0;
    for (; I < Text.size(); ++I) {
        const char16_t C = Text[I].unicode();
        if (C < u'0' || C > u'9')
            return false;
        Magnitude = Magnitude * 10 + (C - u'0');
        if (Magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    const int64_t Signed = Negative ? -Magnitude : Magnitude;
    if (Signed > std::numeric_limits<int32_t>::max())
        return false;
    Value = static_cast<int32_t>(Signed);
    return true;
}

// Text cut in its middle to fit Width. A path is cut between folders: its last folders
// stay whole (as many as fit), then its first ones, "…" standing for those between; a path
// whose last folder alone does not fit, or any other text, loses characters from its middle.
QString ElideMiddle(const QString& Text, const QFontMetrics& Metrics, int Width) {
    if (Metrics.horizontalAdvance(Text) <= Width)
        return Text;
    const QString Gap(QChar(0x2026));
    // Where a folder's name may start, after each '/' but the leading one and a trailing one.
    QList<qsizetype> Starts;
    for (qsizetype I = Text.indexOf(u'/', 1); I >= 0 && I + 1 < Text.size(); I = Text.indexOf(u'/', I + 1))
        Starts << I + 1;
    if (Starts.size() >= 2) {
        const auto Fits = [&](qsizetype Head, qsizetype Tail) {
            return Metrics.horizontalAdvance(Text.left(Head) + Gap + Text.mid(Tail - 1)) <= Width;
        };
        // The longest end of whole folders after the first folder, then the longest start.
        for (qsizetype T = 1; T < Starts.size(); ++T) {
            if (!Fits(Starts[0], Starts[T]))
                continue;
            qsizetype Head = Starts[0];
            for (qsizetype H = 1; H < T && Fits(Starts[H], Starts[T]); ++H)
                Head = Starts[H];
            return Text.left(Head) + Gap + Text.mid(Starts[T] - 1);
        }
    }
    return Metrics.elidedText(Text, Qt::ElideMiddle, Width);
}

} // namespace

TMyCustomFlatEdit::TMyCustomFlatEdit(QWidget* Parent)
    : QLineEdit(Parent), FColorFocused(kColorFocused), FColorBorder(kColorBorder), FColorFlat(kColorFlat) {
    setFrame(false);
    setTextMargins(kFrameWidth, kFrameWidth, kFrameWidth, kFrameWidth);
    // paintEvent fills the field itself; the line edit's own panel stays clear, also
    // under a skin's style sheet (which knows flat edits by this property).
    QPalette Palette = palette();
    Palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(Palette);
    setProperty("flatEdit", true);
    setGeometry(0, 0, kDefaultWidth, kDefaultHeight);
    // Created straight onto a parent: the colour is taken as if the parent had just been set.
    TakeParentColor();
}

int32_t TMyCustomFlatEdit::asInteger() const {
    const QString Text = text();
    if (Text.isEmpty())
        return 0;
    int32_t Value = 0;
    if (!ParseInteger(Text, Value))
        throw EConvertError(
            QCoreApplication::translate("TMyCustomFlatEdit", kNotAnInteger).arg(Text).toStdString());
    return Value;
}

void TMyCustomFlatEdit::SetByIndex(int Index, const QColor& Value) {
    switch (Index) {
    case 0:
        FColorFocused = Value;
        break;
    case 1:
        FColorBorder = Value;
        break;
    case 2:
        FColorFlat = Value;
        FParentColor = false;
        break;
    }
    DrawFrame();
}

void TMyCustomFlatEdit::SetParentColor(bool Value) {
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    if (Value) {
        TakeParentColor();
        DrawFrame();
    }
}

void TMyCustomFlatEdit::TakeParentColor() {
    if (FParentColor && parentWidget())
        FColorFlat = parentWidget()->palette().color(parentWidget()->backgroundRole());
}

bool TMyCustomFlatEdit::IsValidChar(QChar Char) const {
    return FValueType == TEditValueType::evtInteger && ((Char >= u'0' && Char <= u'9') || Char == kBackspace);
}

void TMyCustomFlatEdit::StepUp() {
    if (FValueType == TEditValueType::evtFloat)
        return;
    const int32_t Value = asInteger();
    // With no upper limit the step still stops at the largest integer instead of wrapping.
    if ((FMaxValue == 0 || Value < FMaxValue) && Value < std::numeric_limits<int32_t>::max())
        setText(QString::number(Value + 1));
}

void TMyCustomFlatEdit::StepDown() {
    if (FValueType == TEditValueType::evtFloat)
        return;
    const int32_t Value = asInteger();
    if (FMinValue < Value)
        setText(QString::number(Value - 1));
}

int TMyCustomFlatEdit::WidthForDigits(int Count) const {
    // The text, the frame on both sides and the line edit's own inner margins and caret.
    constexpr int kInnerMargins = 2 * 2 + 1;
    return fontMetrics().horizontalAdvance(QString(Count, u'0')) + 2 * kFrameWidth + kInnerMargins;
}

void TMyCustomFlatEdit::AdjustHeight() {
    resize(width(), QFontMetrics(font()).height() + 2 * kFrameWidth);
}

void TMyCustomFlatEdit::SetElideMode(Qt::TextElideMode Value) {
    FElideMode = Value;
    update();
}

QRect TMyCustomFlatEdit::TextRect() const {
    QStyleOptionFrame Option;
    initStyleOption(&Option);
    const QRect Contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &Option, this).marginsRemoved(textMargins());
    // The line is centred as the line edit centres it: its height is the font's.
    const QFontMetrics Metrics = fontMetrics();
    const int LineHeight = std::max(Metrics.height(), Metrics.boundingRect(text()).height());
    int Right = Contents.right() - kTextInset;
    // The buttons of the actions shown in the field stand at its right end.
    for (const QToolButton* Button : findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        if (Button->isVisible())
            Right = std::min(Right, Button->x() - 1 - kTextInset);
    const int Left = Contents.left() + kTextInset;
    return QRect(Left, Contents.top() + (Contents.height() - LineHeight + 1) / 2,
                 std::max(0, Right - Left + 1), LineHeight);
}

QString TMyCustomFlatEdit::ShownText() const {
    if (FElideMode == Qt::ElideNone || hasFocus())
        return text();
    const int Width = TextRect().width();
    if (FElideMode == Qt::ElideMiddle)
        return ElideMiddle(text(), fontMetrics(), Width);
    return fontMetrics().elidedText(text(), FElideMode, Width);
}

bool TMyCustomFlatEdit::IsHighlighted() const {
    // Hovering highlights only while no other flat edit holds the focus, so two entries
    // never look active at once.
    return hasFocus() || (FMouseIn && !dynamic_cast<TMyFlatEdit*>(QApplication::focusWidget()));
}

void TMyCustomFlatEdit::DrawFrame() {
    update();
}

void TMyCustomFlatEdit::paintEvent(QPaintEvent* Event) {
    // Enabled or not, the entry is framed and filled the same way.
    const QColor Field = IsHighlighted() ? FColorFocused : FColorFlat;
    {
        QPainter Painter(this);
        Painter.fillRect(rect(), Field);
    }
    const QString Shown = ShownText();
    if (Shown == text()) {
        QLineEdit::paintEvent(Event);
    } else {
        // Written where the line edit writes, in its colour, from the first character.
        QPainter Painter(this);
        const QPalette::ColorGroup Group = !isEnabled()       ? QPalette::Disabled
                                           : isActiveWindow() ? QPalette::Active
                                                              : QPalette::Inactive;
        Painter.setPen(palette().color(Group, QPalette::Text));
        Painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Shown);
    }
    QPainter Painter(this);
    Painter.setBrush(Qt::NoBrush);
    // The two field-coloured rings cover whatever the style drew at the edges.
    Painter.setPen(Field);
    Painter.drawRect(rect().adjusted(1, 1, -2, -2));
    Painter.drawRect(rect().adjusted(2, 2, -3, -3));
    // The border goes on the outermost screen pixels the entry covers whole. At a
    // fractional scale (1.5) an edge may fall in the middle of a pixel, and a line drawn at
    // the edge in the window's units would be cut off there.
    const QRectF Covered = Painter.deviceTransform().mapRect(QRectF(rect()));
    const int Left = static_cast<int>(std::ceil(Covered.left() - kPixelSlack));
    const int Top = static_cast<int>(std::ceil(Covered.top() - kPixelSlack));
    const int Right = static_cast<int>(std::floor(Covered.right() + kPixelSlack));
    const int Bottom = static_cast<int>(std::floor(Covered.bottom() + kPixelSlack));
    // Drawn in screen pixels: the world transform undoes the window's own scale and offset.
    const QTransform Base = Painter.worldTransform().inverted() * Painter.deviceTransform();
    Painter.setWorldTransform(Base.inverted());
    Painter.setPen(QPen(FColorBorder, 0));
    Painter.drawRect(Left, Top, Right - Left - 1, Bottom - Top - 1);
}

void TMyCustomFlatEdit::focusInEvent(QFocusEvent* Event) {
    QLineEdit::focusInEvent(Event);
    DrawFrame();
}

void TMyCustomFlatEdit::focusOutEvent(QFocusEvent* Event) {
    QLineEdit::focusOutEvent(Event);
    // A text-only entry shows the start of its text, e.g. of a long folder path.
    if (FValueType == TEditValueType::evtFloat)
        setCursorPosition(0);
    DrawFrame();
}

void TMyCustomFlatEdit::enterEvent(QEnterEvent* Event) {
    QLineEdit::enterEvent(Event);
    if (QApplication::activeWindow()) {
        FMouseIn = true;
        DrawFrame();
    }
}

void TMyCustomFlatEdit::leaveEvent(QEvent* Event) {
    QLineEdit::leaveEvent(Event);
    FMouseIn = false;
    DrawFrame();
}

void TMyCustomFlatEdit::changeEvent(QEvent* Event) {
    QLineEdit::changeEvent(Event);
    switch (Event->type()) {
    case QEvent::EnabledChange:
        DrawFrame();
        break;
    case QEvent::PaletteChange: // the parent's colours or the system's changed
        TakeParentColor();
        DrawFrame();
        break;
    case QEvent::FontChange:
        AdjustHeight();
        break;
    default:
        break;
    }
}

bool TMyCustomFlatEdit::event(QEvent* Event) {
    const bool Result = QLineEdit::event(Event);
    if (Event->type() == QEvent::ParentChange) {
        TakeParentColor();
        DrawFrame();
    }
    return Result;
}

int TMyCustomFlatEdit::CaretPosition() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

bool TMyCustomFlatEdit::KeyPress(QChar Char) {
    if (!IsValidChar(Char))
        return false;
    // A digit typed over a lone 0 replaces it ("0" then 5 gives "5"); a 0 leaves it.
    if (text() == u"0" && Char.isDigit()) {
        selectAll();
        return Char != u'0';
    }
    // Erasing the last character, or everything, leaves "0" with the caret in front of it,
    // so the backspace itself then removes nothing.
    if (Char == kBackspace && (text().size() <= 1 || selectionLength() == text().size())) {
        setText(QStringLiteral("0"));
        setCursorPosition(0);
    }
    // No leading zeros.
    if (Char == u'0' && CaretPosition() == 0 && !text().isEmpty())
        return false;
    return true;
}

void TMyCustomFlatEdit::keyPressEvent(QKeyEvent* Event) {
    switch (Event->key()) {
    case Qt::Key_Delete:
        // Swallowed: Delete never deletes.
        Event->accept();
        return;
    case Qt::Key_Up:
        StepUp();
        break;
    case Qt::Key_Down:
        StepDown();
        break;
    default: {
        // A typed character; shortcuts such as Ctrl+V are commands, not characters.
        QChar Char;
        if (Event->key() == Qt::Key_Backspace)
            Char = kBackspace;
        else if (Event->text().size() == 1 && Event->text()[0].isPrint() &&
                 !(Event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
            Char = Event->text()[0];
        if (!Char.isNull() && !KeyPress(Char)) {
            Event->accept();
            return;
        }
        break;
    }
    }
    QLineEdit::keyPressEvent(Event);
}

void TMyCustomFlatEdit::wheelEvent(QWheelEvent* Event) {
    // Only the entry that has the focus steps; elsewhere the wheel goes on to the parent.
    // A purely sideways scroll is not a step either.
    const QPoint Delta = Event->angleDelta();
    if (!hasFocus() || (Delta.y() == 0 && Delta.x() != 0)) {
        QLineEdit::wheelEvent(Event);
        return;
    }
    if (Delta.y() <= 0)
        StepDown();
    else
        StepUp();
    Event->accept();
}

void TMyCustomFlatEdit::contextMenuEvent(QContextMenuEvent* Event) {
    QMenu* Menu = createStandardContextMenu();
    Menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!actions().isEmpty())
        Menu->addSeparator();
    Menu->addActions(actions());
    Menu->popup(Event->globalPos());
}
