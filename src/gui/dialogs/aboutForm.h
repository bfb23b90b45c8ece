// TaboutDlg: what the program is, who publishes it, and links to its web page and its
// support mail address. The main window controller creates it with no owner, sets its
// caption, shows it modally and frees it. The links open through the desktop; the dialog
// stays open. OK, Esc and the window's close box end it.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class TLinkLabel;

class TaboutDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TaboutDlg)

public:
    // MainWindow is only where the dialog is centred when shown; it is not its owner.
    explicit TaboutDlg(QWidget* MainWindow = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    // The publisher's name.
    QLabel* Label3;
    QLabel* lbVersion; // the program's version
    // The licence and what the program is built with.
    QLabel* lbLicense;
    QLabel* lbCredits;
    TLinkLabel* lbMail;
    TLinkLabel* lbWeb;
    QPushButton* btnOK;

    // The support mail link: a new message to the support address whose subject names the
    // program ("mailto:<address>?subject=Trovelle%20Support").
    static QString MailLink();

    void btnOKClick();
    void lbWebClick();
    void lbMailClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormCreate();
    QWidget* FMainWindow;
};
