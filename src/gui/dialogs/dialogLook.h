// The look the program's small dialogs share: a fixed client area on a white background,
// "Trebuchet MS" bold at 12 pixels (9 points), the "Human" skin on their push buttons and
// check boxes, and a place in the middle of the main window when shown. The size,
// completion and about dialogs call these from their constructors and show events.
#pragma once

class QWidget;
class TMyFlatEdit;

// Fixed client size, white background, the dialogs' font and the skin.
void SetDialogLook(QWidget* Dialog, int ClientWidth, int ClientHeight);

// Gives each control of Dialog the font it shows now as its own, so that the dialog keeps
// its look when it is given to an owner under a style sheet (which would hand the controls
// the application's font); called once the controls are made.
void HoldDialogFont(QWidget* Dialog);

// The look of a dialog's number entry: grey frame and text on a flat light grey, at most five
// characters.
void SetEntryLook(TMyFlatEdit* Edit);

// Moves a dialog, which has no owner, over the middle of the program's main window,
// whichever window is active. Without a main window the dialog stays where the windowing
// system put it.
void CenterOnMainWindow(QWidget* Dialog, const QWidget* MainWindow);
