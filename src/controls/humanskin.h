// The "Human" skin: the one look of the program's standard widgets — warm, light and
// rounded. Push buttons, radio buttons, check boxes, the menu bar, tool bars and menus of
// every form take it from here, so the look is defined and selected in one place. The
// custom-drawn controls (slider bar, image button, flat edit) paint themselves and are
// not affected.
//
// A form calls SelectSkin(this, kHumanSkin) once after creating its widgets; widgets
// added below it later take the skin as well.
#pragma once

#include <QString>

class QWidget;

constexpr const char* kHumanSkin = "Human";

// The style sheet of a skin by name ("Human"); empty for an unknown name.
QString SkinStyleSheet(const QString& SkinName);

// Applies the named skin to Root and every widget below it (menu bar, tool bars, push buttons, radio
// buttons, check boxes). An unknown name leaves Root as it is.
void SelectSkin(QWidget* Root, const QString& SkinName);
