#include "aboutForm.h"

#include "dialogLook.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/linkLabel.h"
#include "platform/appinfo.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 442;
constexpr int kClientHeight = 270;
constexpr const char* kCaption = QT_TRANSLATE_NOOP("TaboutDlg", "About %1");
// The subject of the support mail stays in English: it is read by the support address.
constexpr const char* kMailSubject = "%1 Support";
const QColor kLinkColor(0, 0, 255);

QLabel* FixedLabel(QWidget* Parent, const QString& Text, const QRect& Rect) {
    auto* Label = new QLabel(Text, Parent);
    Label->setGeometry(Rect);
    return Label;
}

TLinkLabel* Link(QWidget* Parent, const QString& Text, int Left, int Top) {
    auto* Label = new TLinkLabel(Parent);
    QFont Font = Label->font();
    Font.setItalic(true);
    Font.setUnderline(true);
    Label->setFont(Font);
    SetSkinColor(Label, QPalette::WindowText, kLinkColor);
    Label->setText(Text);
    Label->adjustSize();
    Label->move(Left, Top);
    return Label;
}

} // namespace

TaboutDlg::TaboutDlg(QWidget* MainWindow) : FMainWindow(MainWindow) {
    SetDialogLook(this, kClientWidth, kClientHeight);

    Label1 = FixedLabel(this, tr("Trovelle is an easy-to-use video capture tool designed to help"),
                        QRect(16, 16, 417, 16));
    Label2 = FixedLabel(this, tr("create thumbnails from videos."), QRect(16, 32, 417, 16));
    Label3 = FixedLabel(this, QString::fromUtf8(kPublisher), QRect(240, 64, 185, 16));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbVersion = FixedLabel(this, tr("Version %1").arg(QString::fromUtf8(kApplicationVersion)),
                           QRect(16, 64, 200, 16));
    lbLicense = FixedLabel(this, tr(kLicenseLine), QRect(16, 176, 417, 16));
    lbCredits = FixedLabel(this, tr(kCreditsLine), QRect(16, 196, 417, 16));
    lbMail = Link(this, QString::fromUtf8(kMailAddress), 16, 136);
    lbMail->OnClick = [this](QObject*) { lbMailClick(); };
    lbWeb = Link(this, QString::fromUtf8(kWebAddress), 16, 112);
    lbWeb->OnClick = [this](QObject*) { lbWebClick(); };

    btnOK = new QPushButton(tr("&OK"), this);
    btnOK->setGeometry(328, 232, 100, 26);
    btnOK->setFocus();
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });

    FormCreate();
}

void TaboutDlg::FormCreate() {
    setWindowTitle(tr(kCaption).arg(QLatin1String(kApplicationTitle)));
}

QString TaboutDlg::MailLink() {
    QString Subject = QString::fromLatin1(kMailSubject).arg(QLatin1String(kApplicationTitle));
    Subject.replace(QLatin1Char(' '), QLatin1String("%20"));
    return QStringLiteral("mailto:") + QString::fromUtf8(kMailAddress) + QStringLiteral("?subject=") +
           Subject;
}

void TaboutDlg::btnOKClick() {
    close();
}

void TaboutDlg::lbWebClick() {
    OpenLink(this, kWebAddress);
}

void TaboutDlg::lbMailClick() {
    OpenLink(this, MailLink().toStdString());
}

void TaboutDlg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    CenterOnMainWindow(this, FMainWindow);
}
