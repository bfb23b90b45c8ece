#include "completeForm.h"

#include "dialogLook.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/linkLabel.h"
#include "platform/appinfo.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 692;
constexpr int kClientHeight = 166;
// Every line takes the dialog's width, whatever its text's width in the font it ends up with.
constexpr int kLineWidth = 657;
constexpr const char* kCaption = QT_TRANSLATE_NOOP("TcompleteDlg", "Congratulations");
constexpr const char* kSheetLine = QT_TRANSLATE_NOOP("TcompleteDlg", "The contact sheet is saved as");
constexpr const char* kSheetLinkLine = QT_TRANSLATE_NOOP("TcompleteDlg", "click the link to open the sheet.");
constexpr const char* kShortfallLine =
    QT_TRANSLATE_NOOP("TcompleteDlg", "Fewer thumbnails than asked were saved in");
// The reason's room under the path: two lines, and what moves down to make it.
constexpr int kReasonTop = 80;
constexpr int kReasonHeight = 36;
constexpr int kReasonRoom = 40;
const QColor kPathColor(0, 0, 128);

} // namespace

TcompleteDlg::TcompleteDlg(QWidget* MainWindow) : FMainWindow(MainWindow) {
    SetDialogLook(this, kClientWidth, kClientHeight);
    setWindowTitle(tr(kCaption));

    Label1 = new QLabel(tr("The thumbnails are saved successfully in"), this);
    Label1->setGeometry(16, 16, kLineWidth, Label1->sizeHint().height());

    lbPath = new TLinkLabel(this);
    lbPath->setGeometry(16, 48, kLineWidth, 18);
    // A folder is shown as it is named, even when the name looks like markup.
    lbPath->setTextFormat(Qt::PlainText);
    QFont PathFont = lbPath->font();
    PathFont.setUnderline(true);
    lbPath->setFont(PathFont);
    SetSkinColor(lbPath, QPalette::WindowText, kPathColor);
    lbPath->OnClick = [this](QObject*) { lbPathClick(); };

    Label2 = new QLabel(tr("click the link to open the folder."), this);
    Label2->setGeometry(16, 88, kLineWidth, Label2->sizeHint().height());

    btnOK = new QPushButton(tr("&OK"), this);
    btnOK->setGeometry(16, 128, 100, 26);
    btnOK->setFocus();

    lbReason = new QLabel(this);
    lbReason->setGeometry(16, kReasonTop, kLineWidth, kReasonHeight);
    lbReason->setTextFormat(Qt::PlainText);
    lbReason->setWordWrap(true);
    lbReason->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbReason->hide();
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    // The controller gives the dialog to the main window before it shows it.
    HoldDialogFont(this);
}

void TcompleteDlg::ShowShortfall(const QString& Reason) {
    setWindowTitle(QLatin1String(kApplicationTitle));
    Label1->setText(tr(kShortfallLine));
    lbReason->setText(Reason);
    lbReason->show();
    if (Label2->y() < kReasonTop + kReasonHeight) {
        Label2->move(Label2->x(), Label2->y() + kReasonRoom);
        btnOK->move(btnOK->x(), btnOK->y() + kReasonRoom);
        setFixedSize(kClientWidth, kClientHeight + kReasonRoom);
    }
}

void TcompleteDlg::ShowSheet() {
    Label1->setText(tr(kSheetLine));
    Label2->setText(tr(kSheetLinkLine));
}

void TcompleteDlg::btnOKClick() {
    close();
}

void TcompleteDlg::lbPathClick() {
    OpenLink(this, lbPath->text().toStdString());
}

void TcompleteDlg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    CenterOnMainWindow(this, FMainWindow);
}
