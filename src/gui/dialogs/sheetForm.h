// TsheetDlg: the small modal dialog of Action → Make a Contact Sheet…, in the look of the
// program's other dialogs: the sheet's columns, rows and width in pixels. The controller
// fills Settings (what LoadSheetSettings remembered), shows it modally and, when Accepted
// is set, reads Settings back, saves them and starts the sheet. OK refuses values outside
// the sheet's limits and says which ones.
//
// LoadSheetSettings and SaveSheetSettings keep the three values between runs in the
// program's settings (QSettings); a value missing or out of range reads as its default.
#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;
class TMyFlatEdit;

struct TSheetSettings {
    int32_t Columns;
    int32_t Rows;
    int32_t Width;
};

TSheetSettings LoadSheetSettings();
void SaveSheetSettings(const TSheetSettings& Settings);

class TsheetDlg : public QDialog {
public:
    // MainWindow is only where the dialog is centred when shown; it is not its owner.
    explicit TsheetDlg(QWidget* MainWindow = nullptr);

    QLabel* lbColumns;
    QLabel* lbRows;
    QLabel* lbWidth;
    TMyFlatEdit* etColumns;
    TMyFlatEdit* etRows;
    TMyFlatEdit* etWidth;
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
