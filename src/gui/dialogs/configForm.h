// TconfigDlg: the modal dialog in which the user sets the thumbnail width and height and
// whether the two stay in proportion. The main window controller creates it with no
// owner, fills ThumbWidth, ThumbHeight, AspectRatio (only when a video is open) and the
// check box, shows it modally, and when Accepted is set reads etWidth, etHeight and
// ckbConstrain back into the settings holder. The dialog never touches the holder.
//
// The proportion lock: while CONSTRAIN is ticked, the entry the user is editing rewrites
// the other one at once. Only the entry with the keyboard focus drives, which is what
// stops the rewritten entry from echoing back, and why text set by the program (the
// show handler, the other entry's update) drives nothing.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QRect>

#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;
class TMyFlatEdit;

class TconfigDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TconfigDlg)

public:
    // MainWindow is only where the dialog is centred when shown; it is not its owner.
    explicit TconfigDlg(QWidget* MainWindow = nullptr);

    // Components, in the form's order; the controller sets and reads ckbConstrain.
    QLabel* lbWidth;
    QLabel* lbHeight;
    QCheckBox* ckbConstrain;
    QWidget* Panel1;
    QPushButton* btnCancel;
    QPushButton* btnOk;

    // Created at run time, after the form's own components.
    TMyFlatEdit* etWidth = nullptr;
    TMyFlatEdit* etHeight = nullptr;
    // What the entries show when the dialog opens.
    int32_t ThumbWidth = 0;
    int32_t ThumbHeight = 0;
    // Width / height kept by the lock; 1.0 (equal sides) when no video is open.
    double AspectRatio = 0;
    // Set only by OK; Cancel, Esc and the window's close box leave it false.
    bool Accepted = false;

    // Where an entry goes beside its label: 16 pixels right of it, a 24-pixel-high entry
    // centred on the label's height, 121 pixels wide.
    static QRect EntryRect(const QRect& Label);

    void etWidthChange();
    void etHeightChange();
    void ckbConstrainClick();
    void btnOkClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    // Key preview: the dialog sees every key of its controls first.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void FormShow();
    // True when the key was the dialog's (Esc, and Enter off the buttons).
    bool FormKeyDown(int Key);
    QWidget* FMainWindow;
    bool FShown = false;
    // Fits Follower to Leader's value by Rule (HeightForWidth or WidthForHeight); a value
    // that cannot be converted is reported in a message box and changes nothing.
    void Follow(TMyFlatEdit* Leader, TMyFlatEdit* Follower, int32_t (*Rule)(int32_t, double));
};
