#include "sheetForm.h"

#include "dialogLook.h"
#include "gui/widgets/flatedit.h"
#include "jobs/sheetlayout.h"
#include "platform/appinfo.h"
#include "translatedWording.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 330;
constexpr int kClientHeight = 204;
constexpr int kLabelLeft = 16;
constexpr int kEntryLeft = 150;
constexpr int kEntryWidth = 80;
constexpr int kEntryHeight = 24;
constexpr int kRowHeight = 34;
constexpr const char* kCaption = QT_TRANSLATE_NOOP("TsheetDlg", "Contact Sheet – %1");

} // namespace

TsheetDlg::TsheetDlg(QWidget* MainWindow) : FMainWindow(MainWindow) {
    SetDialogLook(this, kClientWidth, kClientHeight);
    setWindowTitle(tr(kCaption).arg(QLatin1String(kApplicationTitle)));
    const auto Row = [this](const QString& Caption, int Index, QLabel*& Label, TMyFlatEdit*& Edit) {
        const int Top = 16 + Index * kRowHeight;
        Label = new QLabel(Caption, this);
        Label->adjustSize();
        Label->move(kLabelLeft, Top + (kEntryHeight - Label->height()) / 2);
        Edit = new TMyFlatEdit(this);
        SetEntryLook(Edit);
        Edit->setGeometry(kEntryLeft, Top, kEntryWidth, kEntryHeight);
    };
    Row(tr("Columns"), 0, lbColumns, etColumns);
    Row(tr("Rows"), 1, lbRows, etRows);
    Row(tr("Width (pixels)"), 2, lbWidth, etWidth);
    ckbPreferClear = new QCheckBox(tr("&Prefer clear pictures"), this);
    ckbPreferClear->setToolTip(tr(
        "Each tile takes the sharpest frame of a short moment after its time, passing over blurred, fading "
        "and plain frames"));
    ckbPreferClear->adjustSize();
    ckbPreferClear->move(kLabelLeft, 16 + 3 * kRowHeight + (kEntryHeight - ckbPreferClear->height()) / 2);

    btnCancel = new QPushButton(tr("&Cancel"), this);
    btnCancel->setGeometry(kClientWidth - 16 - 209, kClientHeight - 16 - 26, 100, 26);
    btnOk = new QPushButton(tr("&OK"), this);
    btnOk->setGeometry(kClientWidth - 16 - 100, kClientHeight - 16 - 26, 100, 26);
    connect(btnCancel, &QPushButton::clicked, this, [this] { close(); });
    // Enter in an entry is OK.
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
}

void TsheetDlg::btnOkClick() {
    const TSheetSettings Entered{etColumns->asInteger(), etRows->asInteger(), etWidth->asInteger(),
                                 ckbPreferClear->isChecked()};
    const TWording Fault = SheetSizeWording(Entered.Columns, Entered.Rows, Entered.Width);
    if (!Fault.Empty()) {
        QMessageBox::warning(this, QString::fromLatin1(kApplicationTitle), TranslatedWording(Fault));
        return;
    }
    Settings = Entered;
    Accepted = true;
    close();
}

void TsheetDlg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    CenterOnMainWindow(this, FMainWindow);
    etColumns->setText(QString::number(Settings.Columns));
    etRows->setText(QString::number(Settings.Rows));
    etWidth->setText(QString::number(Settings.Width));
    ckbPreferClear->setChecked(Settings.PreferClear);
    etColumns->setFocus();
    etColumns->selectAll();
}
