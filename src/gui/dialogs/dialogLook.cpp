#include "dialogLook.h"

#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"

#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include <utility>
#include <vector>

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

namespace {

// Puts the controls' fonts back each time the dialog changes owner: a style sheet above
// the dialog, met on the way, gives its controls back the fonts they had before any style
// sheet was applied, the application's.
class TFontHolder : public QObject {
public:
    explicit TFontHolder(QWidget* Dialog) : QObject(Dialog) {
        for (QWidget* Control : Dialog->findChildren<QWidget*>())
            FFonts.emplace_back(Control, Control->font());
        Dialog->installEventFilter(this);
    }

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::ParentChange)
            for (const auto& [Control, Font] : FFonts)
                if (Control)
                    Control->setFont(Font);
        return QObject::eventFilter(Watched, Event);
    }

private:
    std::vector<std::pair<QPointer<QWidget>, QFont>> FFonts;
};

} // namespace

void HoldDialogFont(QWidget* Dialog) {
    new TFontHolder(Dialog);
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
