// TcompleteDlg: tells the user that generation has finished and links to the folder that
// holds the new thumbnails. The main window controller creates it with no owner, puts the
// folder into lbPath, gives it to the main window, shows it modally and frees it. Clicking
// the path opens the folder in the desktop's file browser and leaves the dialog open; OK,
// Esc and the window's close box end it.
#pragma once

#include <string>

#include <QCoreApplication>
#include <QDialog>

class QLabel;
class QPushButton;
class TLinkLabel;

class TcompleteDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TcompleteDlg)

public:
    // MainWindow is only where the dialog is centred when shown; it is not its owner.
    explicit TcompleteDlg(QWidget* MainWindow = nullptr);

    QLabel* Label1;
    // The output folder, set by the controller; a path longer than the label is cut at
    // its edge but opened whole.
    TLinkLabel* lbPath;
    QLabel* Label2;
    QPushButton* btnOK;
    // Shown by ShowShortfall only: why fewer files were written than asked.
    QLabel* lbReason;

    // For a job that wrote fewer files than asked: no congratulations, the first line says
    // that not all were saved, and Reason (with the counts) stands under the path.
    void ShowShortfall(const QString& Reason);
    // For a contact sheet: lbPath names the sheet's file, and the link opens it.
    void ShowSheet();

    void btnOKClick();
    void lbPathClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    QWidget* FMainWindow;
};
