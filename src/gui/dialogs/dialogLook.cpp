#include "dialogLook.h"

#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace {

constexpr const char* kDialogFontFamily = "Trebuchet MS";
// Height -12 in the form's terms: a 12-pixel character height, 9 points at 96 dots per inch.
constexpr int kDialogFontPixels = 12;

const QColor kEntryBorder(172, 168, 153);
const QColor kEntryText(102, 102, 102);
// The flat edit's own idle colour. Set explicitly: left to follow its parent, the entry
// would take the dialog's white and vanish into it.
const QColor kEntryFlat(235, 234, 225);
constexpr int kEntryMaxLength = 5;

} // namespace

void SetDialogLook(QWidget* Dialog, int ClientWidth, int ClientHeight) {
    Dialog->setFixedSize(ClientWidth, ClientHeight);
    SetSkinColor(Dialog, QPalette::Window, Qt::white);
    Dialog->setAutoFillBackground(true);
    QFont Font(kDialogFontFamily);
    Font.setPixelSize(kDialogFontPixels);
    Font.setBold(true);
    Dialog->setFont(Font);
    SelectSkin(Dialog, kHumanSkin);
}

void SetEntryLook(TMyFlatEdit* Edit) {
    Edit->SetByIndex(1, kEntryBorder);
    SetSkinColor(Edit, QPalette::Text, kEntryText);
    Edit->SetColorFlat(kEntryFlat);
    Edit->setMaxLength(kEntryMaxLength);
}

void CenterOnMainWindow(QWidget* Dialog, const QWidget* MainWindow) {
    if (!MainWindow || MainWindow == Dialog)
        return;
    QRect Frame = Dialog->frameGeometry();
    Frame.moveCenter(MainWindow->frameGeometry().center());
    Dialog->move(Frame.topLeft());
}
