// The flat edit: a single-line entry drawn without the system's 3-D border. A one-pixel
// line in ColorBorder surrounds a field that is ColorFlat when idle and ColorFocused
// while the entry has the focus or the mouse is over it. In integer mode it takes only
// digits, keeps "0" in place of an empty text and steps its number with Up, Down and the
// mouse wheel. The main window uses it for the pieces count and the read-only save
// folder; the thumbnail size dialog for width and height.
//
// TMyCustomFlatEdit holds the behaviour; forms and code create TMyFlatEdit.
#pragma once

#include <QColor>
#include <QLineEdit>

#include <cstdint>
#include <stdexcept>
#include <string>

// A text that is not a number was read as one.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& Message) : std::runtime_error(Message) {}
};

// evtFloat refuses every typed character; it serves entries that show text only.
enum class TEditValueType : uint8_t { evtInteger = 0, evtFloat = 1 };

class TMyCustomFlatEdit : public QLineEdit {
public:
    explicit TMyCustomFlatEdit(QWidget* Parent = nullptr);

    TEditValueType ValueType() const { return FValueType; }
    void SetValueType(TEditValueType Value) { FValueType = Value; }

    // Stepping down stops at MinValue, stepping up at MaxValue; MaxValue 0 is no limit.
    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t Value) { FMinValue = Value; }
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t Value) { FMaxValue = Value; }

    // 0 for an empty text; EConvertError for a text that is not a decimal integer.
    int32_t asInteger() const;

    // The three colours share one setter: 0 ColorFocused, 1 ColorBorder, 2 ColorFlat.
    // Setting ColorFlat stops it following the parent.
    QColor ColorFocused() const { return FColorFocused; }
    QColor ColorBorder() const { return FColorBorder; }
    QColor ColorFlat() const { return FColorFlat; }
    void SetByIndex(int Index, const QColor& Value);
    void SetColorFocused(const QColor& Value) { SetByIndex(0, Value); }
    void SetColorBorder(const QColor& Value) { SetByIndex(1, Value); }
    void SetColorFlat(const QColor& Value) { SetByIndex(2, Value); }

    // When true, ColorFlat follows the parent's background colour.
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);

    void StepUp();
    void StepDown();
    // The width at which Count digits show whole.
    int WidthForDigits(int Count) const;
    // Height := the font's character height + 6, room for the text and the frame.
    void AdjustHeight();

    // How a text wider than the field shows while the field has no focus: Qt::ElideNone
    // scrolls it as a line edit does; Qt::ElideMiddle keeps its start and its end with "…"
    // between them, a path's last folders whole where they fit (the other modes as Qt cuts).
    // With the focus the whole text scrolls, to be read to its end or copied. text() is
    // always the whole text.
    Qt::TextElideMode ElideMode() const { return FElideMode; }
    void SetElideMode(Qt::TextElideMode Value);
    // The text as the field shows it without the focus.
    QString ShownText() const;

protected:
    // Whether a typed character may reach the text: digits and backspace in integer
    // mode, nothing otherwise.
    virtual bool IsValidChar(QChar Char) const;

    // Has the frame redrawn; the look (highlighted or idle) is chosen as it is drawn.
    void DrawFrame();
    bool IsHighlighted() const;

    void paintEvent(QPaintEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool event(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    // The line edit's own entries, then the actions given to the field (addAction).
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    void TakeParentColor();
    // False when the character is cancelled.
    bool KeyPress(QChar Char);
    int CaretPosition() const;
    // Where the line edit puts its text: the top-left corner of the first character and the
    // width up to the right margin or the first action shown in the field.
    QRect TextRect() const;

    TEditValueType FValueType = TEditValueType::evtInteger;
    int32_t FMinValue = 0;
    int32_t FMaxValue = 0;
    QColor FColorFocused;
    QColor FColorBorder;
    QColor FColorFlat;
    bool FParentColor = true;
    bool FMouseIn = false;
    Qt::TextElideMode FElideMode = Qt::ElideNone;
};

class TMyFlatEdit : public TMyCustomFlatEdit {
public:
    using TMyCustomFlatEdit::TMyCustomFlatEdit;
};
