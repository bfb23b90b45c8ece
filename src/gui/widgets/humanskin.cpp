#include "humanskin.h"

#include "engine/rounding.h"

#include <QApplication>
#include <QChildEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <utility>

namespace {

// The skin's palette: warm light greys and sand, a brown-grey line and an amber accent.
// The style sheet and the indicator painter below share these values.
constexpr const char* kFaceTop = "#fdfbf7";
constexpr const char* kFaceBottom = "#e8dfd1";
constexpr const char* kLine = "#b3a592";
constexpr const char* kLineHover = "#a0876a";
constexpr const char* kText = "#3d3329";
constexpr const char* kTextDisabled = "#aaa196";
constexpr const char* kAccent = "#c8782f";
constexpr const char* kAccentDark = "#9c5a1e";
constexpr const char* kHighlight = "#f4d8ad";

// Keeps the skin's colours on widgets added below a skinned one after the skin was
// chosen (a dialog's controls, a message box).
class TSkinKeeper : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::ChildAdded || Event->type() == QEvent::ChildPolished) {
            if (auto* Child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(Event)->child()))
                Keep(Child);
        }
        return QObject::eventFilter(Watched, Event);
    }

    // A colour a widget chose for itself (one that is not the application's) stays; every
    // other colour becomes the skin's.
    void Keep(QWidget* Widget) {
        QPalette Palette = SkinPalette();
        if (Widget->testAttribute(Qt::WA_SetPalette)) {
            const QPalette Own = Widget->palette();
            const QPalette Application = QApplication::palette(Widget);
            for (int Group = 0; Group < QPalette::NColorGroups; ++Group)
                for (int Role = 0; Role < QPalette::NColorRoles; ++Role) {
                    const auto G = static_cast<QPalette::ColorGroup>(Group);
                    const auto R = static_cast<QPalette::ColorRole>(Role);
                    if (Own.color(G, R) != Application.color(G, R))
                        Palette.setColor(G, R, Own.color(G, R));
                }
        }
        if (!Widget->testAttribute(Qt::WA_SetPalette) || Widget->palette() != Palette)
            Widget->setPalette(Palette);
        Widget->removeEventFilter(this);
        Widget->installEventFilter(this);
    }
};

// Check box and radio button indicators. A style sheet can only draw a tick from a picture
// file, so the indicators are painted here and the style sheet leaves them alone; the
// style sheet runs on top of this style.
class THumanStyle : public QProxyStyle {
public:
    THumanStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

    void drawPrimitive(PrimitiveElement Element, const QStyleOption* Option, QPainter* Painter,
                       const QWidget* Widget) const override {
        if (Element != PE_IndicatorCheckBox && Element != PE_IndicatorRadioButton) {
            QProxyStyle::drawPrimitive(Element, Option, Painter, Widget);
            return;
        }
        const bool Enabled = Option->state & State_Enabled;
        const bool On = Option->state & (State_On | State_NoChange);
        const bool Hover = Enabled && (Option->state & State_MouseOver);
        const bool Down = Enabled && (Option->state & State_Sunken);

        Painter->save();
        Painter->setRenderHint(QPainter::Antialiasing);
        const QRectF Box = QRectF(Option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient Face(Box.topLeft(), Box.bottomLeft());
        if (!Enabled) {
            Face.setColorAt(0, QColor("#f3f0eb"));
            Face.setColorAt(1, QColor("#f3f0eb"));
        } else if (Down) {
            Face.setColorAt(0, QColor(kFaceBottom));
            Face.setColorAt(1, QColor(kFaceTop));
        } else {
            Face.setColorAt(0, QColor("#ffffff"));
            Face.setColorAt(1, QColor("#f1ebe1"));
        }
        Painter->setBrush(Face);
        Painter->setPen(QPen(QColor(!Enabled ? "#d3ccc2" : Hover ? kLineHover : kLine), 1));
        const QColor Mark = QColor(Enabled ? kAccent : kTextDisabled);
        if (Element == PE_IndicatorRadioButton) {
            Painter->drawEllipse(Box);
            if (On) {
                const qreal Inset = Box.width() * 0.28;
                Painter->setPen(Enabled ? QPen(QColor(kAccentDark), 1) : Qt::NoPen);
                Painter->setBrush(Mark);
                Painter->drawEllipse(Box.adjusted(Inset, Inset, -Inset, -Inset));
            }
        } else {
            Painter->drawRoundedRect(Box, 3, 3);
            if (Option->state & State_NoChange) {
                Painter->fillRect(QRectF(Box.left() + 3, Box.center().y() - 1, Box.width() - 6, 2), Mark);
            } else if (On) {
                const qreal W = Box.width();
                QPainterPath Tick;
                Tick.moveTo(Box.left() + W * 0.22, Box.top() + W * 0.52);
                Tick.lineTo(Box.left() + W * 0.42, Box.top() + W * 0.72);
                Tick.lineTo(Box.left() + W * 0.78, Box.top() + W * 0.28);
                Painter->setBrush(Qt::NoBrush);
                Painter->setPen(
                    QPen(Mark, qMax<qreal>(1.6, W * 0.14), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                Painter->drawPath(Tick);
            }
        }
        Painter->restore();
    }
};

QString HumanStyleSheet() {
    return QStringLiteral(R"(
QLineEdit[flatEdit="true"] {
    background: transparent;
    border: none;
}
QToolTip {
    color: black;
    background: #ffffe1;
    border: 1px solid %4;
}
QPushButton {
    color: %1;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %2, stop:1 %3);
    border: 1px solid %4;
    border-radius: 4px;
    padding: 2px 10px;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffefb, stop:1 #efe6d8);
    border-color: %5;
}
QPushButton:pressed {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e2d6c4, stop:1 #f2ebe0);
    border-color: %5;
    padding-top: 3px;
    padding-bottom: 1px;
}
QPushButton:focus, QPushButton:default {
    border-color: %7;
}
QPushButton:disabled {
    color: %6;
    background: #f3f0eb;
    border-color: #d3ccc2;
}
QCheckBox, QRadioButton {
    color: %1;
    spacing: 6px;
}
QCheckBox:disabled, QRadioButton:disabled {
    color: %6;
}
QMenuBar {
    color: black;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #faf7f1, stop:1 #ebe3d6);
    border-bottom: 1px solid #d2c6b4;
    spacing: 2px;
    padding: 1px;
}
QMenuBar::item {
    background: transparent;
    padding: 3px 9px;
    border-radius: 4px;
}
QMenuBar::item:selected, QMenuBar::item:pressed {
    background: %8;
}
QMenu {
    color: black;
    background: #fcfaf6;
    border: 1px solid %4;
    border-radius: 4px;
    padding: 3px;
}
QMenu::item {
    padding: 4px 22px 4px 20px;
    border-radius: 3px;
}
QMenu::item:selected {
    background: %8;
}
QMenu::item:disabled {
    color: %6;
}
QMenu::separator {
    height: 1px;
    background: #e0d6c8;
    margin: 3px 6px;
}
QToolBar {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #faf7f1, stop:1 #ebe3d6);
    border: none;
    border-bottom: 1px solid #d2c6b4;
    spacing: 2px;
    padding: 1px;
}
QToolButton {
    color: %1;
    background: transparent;
    border: 1px solid transparent;
    border-radius: 4px;
    padding: 2px 6px;
}
QToolButton:hover {
    background: %8;
    border-color: #dcb887;
}
QToolButton:pressed, QToolButton:checked {
    background: #ecc68f;
    border-color: %5;
}
)")
        .arg(kText, kFaceTop, kFaceBottom, kLine, kLineHover, kTextDisabled, kAccent, kHighlight);
}

} // namespace

QPalette SkinPalette() {
    QPalette Palette;
    const QColor Text(Qt::black);
    const QColor Disabled(kTextDisabled);
    const std::pair<QPalette::ColorRole, QColor> Roles[] = {
        {QPalette::Window, Qt::white},
        {QPalette::WindowText, Text},
        {QPalette::Base, Qt::white},
        {QPalette::AlternateBase, QColor("#f7f3ec")},
        {QPalette::Text, Text},
        {QPalette::PlaceholderText, Disabled},
        {QPalette::Button, QColor(kFaceBottom)},
        {QPalette::ButtonText, QColor(kText)},
        {QPalette::BrightText, Qt::white},
        {QPalette::Light, Qt::white},
        {QPalette::Midlight, QColor(kFaceTop)},
        {QPalette::Mid, QColor(kLine)},
        {QPalette::Dark, QColor(kLineHover)},
        {QPalette::Shadow, QColor("#5a4f43")},
        {QPalette::Highlight, QColor(kHighlight)},
        {QPalette::HighlightedText, Text},
        {QPalette::Link, QColor(0, 0, 255)},
        {QPalette::LinkVisited, QColor(0, 0, 128)},
        {QPalette::ToolTipBase, QColor("#ffffe1")},
        {QPalette::ToolTipText, Text},
    };
    for (const auto& [Role, Color] : Roles)
        Palette.setColor(Role, Color);
    for (QPalette::ColorRole Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        Palette.setColor(QPalette::Disabled, Role, Disabled);
    return Palette;
}

QColor SkinFocusColor() {
    return QColor(kAccent);
}

QIcon SkinClearIcon() {
    QIcon Icon;
    // A 16-pixel cross for each common scale, so that none is scaled from another.
    for (const qreal Scale : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        const int Side = static_cast<int>(RoundToInt64(16 * Scale));
        QPixmap Picture(Side, Side);
        Picture.fill(Qt::transparent);
        QPainter Painter(&Picture);
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.scale(Scale, Scale);
        Painter.setPen(QPen(QColor(kLineHover), 1.6, Qt::SolidLine, Qt::RoundCap));
        Painter.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        Painter.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        Painter.end();
        Picture.setDevicePixelRatio(Scale);
        Icon.addPixmap(Picture);
    }
    return Icon;
}

int LogicalWidth(const QImage& Picture) {
    return static_cast<int>(RoundToInt64(Picture.deviceIndependentSize().width()));
}

int LogicalHeight(const QImage& Picture) {
    return static_cast<int>(RoundToInt64(Picture.deviceIndependentSize().height()));
}

void SetSkinColor(QWidget* Widget, QPalette::ColorRole Role, const QColor& Color) {
    QPalette Palette = Widget->testAttribute(Qt::WA_SetPalette) ? Widget->palette() : SkinPalette();
    Palette.setColor(Role, Color);
    Widget->setPalette(Palette);
}

QString SkinStyleSheet(const QString& SkinName) {
    if (SkinName == QLatin1String(kHumanSkin))
        return HumanStyleSheet();
    return {};
}

void SelectSkin(QWidget* Root, const QString& SkinName) {
    if (!Root)
        return;
    const QString Sheet = SkinStyleSheet(SkinName);
    if (Sheet.isEmpty())
        return;
    // The indicator style goes first: the style sheet set afterwards draws on top of the
    // widget's own style, and every widget below Root inherits both. One style serves every
    // form; it lives as long as the application, which outlives the forms.
    static QPointer<THumanStyle> Style;
    if (!Style) {
        Style = new THumanStyle;
        Style->setParent(QCoreApplication::instance());
    }
    Root->setStyle(Style);
    Root->setStyleSheet(Sheet);
    // The colours go to Root and to every widget below it: a widget under a style sheet
    // takes the application's palette, not its parent's, so nothing is left to inherit.
    // Widgets that chose colours of their own (SetSkinColor) keep them.
    static QPointer<TSkinKeeper> Keeper;
    if (!Keeper)
        Keeper = new TSkinKeeper(QCoreApplication::instance());
    Keeper->Keep(Root);
    for (QWidget* Child : Root->findChildren<QWidget*>())
        Keeper->Keep(Child);
}
