// The "Human" skin: the one look of the program's standard widgets — warm, light and
// rounded. Push buttons, radio buttons, check boxes, the menu bar, tool bars and menus of
// every form take it from here, so the look is defined and selected in one place. The
// custom-drawn controls (slider bar, image button, flat edit) paint themselves and are
// not affected.
//
// The skin also brings every colour the forms rely on (window, text, base, button,
// highlight, link, tooltip), for every state, so that no system palette (a dark desktop
// theme, say) can leave a text in the colour of its background.
//
// A form calls SelectSkin(this, kHumanSkin) once after creating its widgets; widgets
// added below it later take the skin as well.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QString>

class QWidget;

constexpr const char* kHumanSkin = "Human";

// The style sheet of a skin by name ("Human"); empty for an unknown name.
QString SkinStyleSheet(const QString& SkinName);

// The skin's colours for every role the forms use, in every colour group.
QPalette SkinPalette();

// The colour the skin marks the control that has the keyboard focus with (a push button's
// border); the picture controls draw their focus mark in it.
QColor SkinFocusColor();

// The skin's small cross for a field's action that empties it, drawn sharp at any scale.
QIcon SkinClearIcon();

// A picture's size in the window's coordinates: a picture made for a scaled screen (a
// device pixel ratio of 2) covers half its pixel count.
int LogicalWidth(const QImage& Picture);
int LogicalHeight(const QImage& Picture);

// Gives Widget its own Color for Role over the skin's colours (not over whatever the
// desktop's palette brings), so that the widget's other colours stay the skin's.
void SetSkinColor(QWidget* Widget, QPalette::ColorRole Role, const QColor& Color);

// Applies the named skin to Root and every widget below it (menu bar, tool bars, push buttons, radio
// buttons, check boxes). An unknown name leaves Root as it is.
void SelectSkin(QWidget* Root, const QString& SkinName);
