#include "configForm.h"

#include "dialogLook.h"
#include "engine/rounding.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"
#include "platform/appinfo.h"
#include "settings/configManager.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <exception>

namespace {

constexpr int kClientWidth = 442;
constexpr int kClientHeight = 270;
constexpr int kEntryWidth = 121;
constexpr int kEntryHeight = 24;
constexpr int kEntryGap = 16;
constexpr const char* kCaption = QT_TRANSLATE_NOOP("TconfigDlg", "Thumbnail Size – %1");
constexpr const char* kNoSize = QT_TRANSLATE_NOOP("TconfigDlg", "Enter a width and a height greater than 0.");

constexpr int32_t kInitialSide = 400;
constexpr double kInitialAspectRatio = 1.0;

const QColor kPanelColor(128, 128, 128);

QLabel* AutoSizedLabel(QWidget* Parent, const QString& Text, int Left, int Top) {
    auto* Label = new QLabel(Text, Parent);
    Label->adjustSize();
    Label->move(Left, Top);
    return Label;
}

} // namespace

TconfigDlg::TconfigDlg(QWidget* MainWindow) : FMainWindow(MainWindow) {
    SetDialogLook(this, kClientWidth, kClientHeight);

    lbWidth = AutoSizedLabel(this, tr("Width"), 16, 16);
    lbHeight = AutoSizedLabel(this, tr("Height"), 16, 48);

    ckbConstrain = new QCheckBox(tr("CONSTRAIN"), this);
    ckbConstrain->setGeometry(16, 240, 97, 17);
    ckbConstrain->setChecked(true);

    // An empty grey area with no behaviour, kept because it frames the form.
    Panel1 = new QWidget(this);
    Panel1->setGeometry(16, 80, 409, 137);
    SetSkinColor(Panel1, QPalette::Window, kPanelColor);
    Panel1->setAutoFillBackground(true);

    btnCancel = new QPushButton(tr("&Cancel"), this);
    btnCancel->setGeometry(216, 232, 100, 26);
    btnOk = new QPushButton(tr("&OK"), this);
    btnOk->setGeometry(325, 232, 100, 26);
    // Enter in an entry is OK, and OK shows it.
    btnOk->setDefault(true);

    connect(ckbConstrain, &QCheckBox::clicked, this, [this] { ckbConstrainClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });

    FormCreate();
}

QRect TconfigDlg::EntryRect(const QRect& Label) {
    return QRect(Label.left() + Label.width() + kEntryGap, Label.top() - (kEntryHeight - Label.height()) / 2,
                 kEntryWidth, kEntryHeight);
}

void TconfigDlg::FormCreate() {
    ThumbWidth = kInitialSide;
    ThumbHeight = kInitialSide;
    AspectRatio = kInitialAspectRatio;
    setWindowTitle(tr(kCaption).arg(QLatin1String(kApplicationTitle)));

    etWidth = new TMyFlatEdit(this);
    etHeight = new TMyFlatEdit(this);
    for (TMyFlatEdit* Edit : {etWidth, etHeight}) {
        SetEntryLook(Edit);
        Edit->setText(QStringLiteral("0"));
    }
    const QRect WidthRect = EntryRect(lbWidth->geometry());
    etWidth->setGeometry(WidthRect);
    QRect HeightRect = EntryRect(lbHeight->geometry());
    HeightRect.moveLeft(WidthRect.left());
    etHeight->setGeometry(HeightRect);

    // The form's controls first, then width before height.
    setTabOrder(ckbConstrain, btnCancel);
    setTabOrder(btnCancel, btnOk);
    setTabOrder(btnOk, etWidth);
    setTabOrder(etWidth, etHeight);

    connect(etWidth, &QLineEdit::textChanged, this, [this] { etWidthChange(); });
    connect(etHeight, &QLineEdit::textChanged, this, [this] { etHeightChange(); });

    for (QWidget* Child : findChildren<QWidget*>())
        Child->installEventFilter(this);
}

void TconfigDlg::FormShow() {
    // Neither entry has the focus yet, so these drive nothing.
    etWidth->setText(QString::number(ThumbWidth));
    etHeight->setText(QString::number(ThumbHeight));
}

void TconfigDlg::etWidthChange() {
    if (ckbConstrain->isChecked() && etWidth->hasFocus())
        Follow(etWidth, etHeight, HeightForWidth);
}

void TconfigDlg::etHeightChange() {
    if (ckbConstrain->isChecked() && etHeight->hasFocus())
        Follow(etHeight, etWidth, WidthForHeight);
}

void TconfigDlg::ckbConstrainClick() {
    // The width leads: ticking the lock fits the height to it.
    if (ckbConstrain->isChecked())
        Follow(etWidth, etHeight, HeightForWidth);
}

void TconfigDlg::Follow(TMyFlatEdit* Leader, TMyFlatEdit* Follower, int32_t (*Rule)(int32_t, double)) {
    // Called from the entries' and the check box's signals, which an exception must never
    // unwind: a value that is no number, or a side the ratio cannot give, leaves the other
    // entry as it is and is shown here.
    try {
        Follower->setText(QString::number(Rule(Leader->asInteger(), AspectRatio)));
    } catch (const std::exception& E) {
        QMessageBox::warning(this, QString::fromUtf8(kApplicationTitle), QString::fromUtf8(E.what()));
    }
}

void TconfigDlg::btnOkClick() {
    // A side of 0 (or an empty entry) would only fail at GENERATE.
    if (etWidth->asInteger() < 1 || etHeight->asInteger() < 1) {
        QMessageBox::warning(this, QString::fromUtf8(kApplicationTitle), tr(kNoSize));
        return;
    }
    Accepted = true;
    close();
}

void TconfigDlg::btnCancelClick() {
    close();
}

bool TconfigDlg::FormKeyDown(int Key) {
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        // Enter is OK, except on a button, which takes it as its own click.
        if (qobject_cast<QPushButton*>(focusWidget()))
            return false;
        btnOkClick();
        return true;
    }
    if (Key != Qt::Key_Escape)
        return false;
    close();
    return true;
}

void TconfigDlg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    // Shown again after being minimised, the dialog keeps what was typed meanwhile.
    if (FShown)
        return;
    FShown = true;
    CenterOnMainWindow(this, FMainWindow);
    FormShow();
    // Ready to type a new width.
    etWidth->setFocus();
    etWidth->selectAll();
}

void TconfigDlg::keyPressEvent(QKeyEvent* Event) {
    if (FormKeyDown(Event->key()))
        return;
    // Not QDialog's handling: Enter and Esc are already ours.
    QWidget::keyPressEvent(Event);
}

bool TconfigDlg::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(Event)->key()))
        return true;
    return QDialog::eventFilter(Watched, Event);
}
