// TsheetDlg: the small modal dialog of Action → Make a Contact Sheet…, in the look of the
// program's other dialogs: the sheet's columns, rows and width in pixels. The controller
// fills Settings with the values the settings store remembers, shows it modally and, when
// Accepted is set, stores Settings back and starts the sheet. OK refuses values outside the
// sheet's limits and says which ones. The dialog keeps nothing itself.
#pragma once

#include "settings/configManager.h"

#include <QCoreApplication>
#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;
class TMyFlatEdit;

class TsheetDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TsheetDlg)

public:
    // MainWindow is only where the dialog is centred when shown; it is not its owner.
    explicit TsheetDlg(QWidget* MainWindow = nullptr);

    QLabel* lbColumns;
    QLabel* lbRows;
    QLabel* lbWidth;
    TMyFlatEdit* etColumns;
    TMyFlatEdit* etRows;
    TMyFlatEdit* etWidth;
    QCheckBox* ckbPreferClear;
    QPushButton* btnCancel;
    QPushButton* btnOk;

    TSheetSettings Settings{};
    // Set only by OK with valid values; Cancel, Esc and the close box leave it false.
    bool Accepted = false;

    void btnOkClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    QWidget* FMainWindow;
};
