#include "mainForm.h"

#include "artwork.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/imagebutton.h"
#include "gui/widgets/sliderbar.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include <algorithm>

namespace {

// The form's font; PLATFORM substitutes an installed family when this one is missing.
constexpr const char* kFontFamily = "Trebuchet MS";
constexpr int kFontPixels = 12;
constexpr int kLargeFontPixels = 16;

const QColor kSaveFolderBorder(172, 168, 153);
const QColor kSaveFolderText(102, 102, 102);
const QColor kGenerateText(0, 128, 0);
constexpr int kPiecesMaxLength = 8;
// Between the pieces entry and the word after it.
constexpr int kPiecesLabelGap = 15;

constexpr const char* kDesignVersion = "v0.0.1";

QFont FormFont(int PixelSize, bool Bold = false, bool Italic = false) {
    QFont Font(QString::fromLatin1(kFontFamily));
    Font.setPixelSize(PixelSize);
    Font.setBold(Bold);
    Font.setItalic(Italic);
    return Font;
}

void SetTextColor(QWidget* Widget, QPalette::ColorRole Role, const QColor& Color) {
    SetSkinColor(Widget, Role, Color);
}

// A picture at its place. Stretch draws it over the whole rectangle; otherwise the
// rectangle takes the picture's own size.
QLabel* MakePicture(QWidget* Parent, const char* Name, const char* File, int Left, int Top, int Width,
                    int Height, bool Stretch) {
    auto* Picture = new QLabel(Parent);
    Picture->setObjectName(QString::fromLatin1(Name));
    const QPixmap Pixmap = QPixmap::fromImage(Artwork(QString::fromLatin1(File)));
    Picture->setPixmap(Pixmap);
    Picture->setScaledContents(Stretch);
    if (Stretch)
        Picture->setGeometry(Left, Top, Width, Height);
    else
        Picture->setGeometry(Left, Top, static_cast<int>(Pixmap.deviceIndependentSize().width()),
                             static_cast<int>(Pixmap.deviceIndependentSize().height()));
    return Picture;
}

QLabel* MakeLabel(QWidget* Parent, const char* Name, const QRect& Bounds, const QString& Caption,
                  Qt::Alignment Alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* Label = new QLabel(Caption, Parent);
    Label->setObjectName(QString::fromLatin1(Name));
    Label->setGeometry(Bounds);
    Label->setAlignment(Alignment);
    return Label;
}

TImageButton* MakeImageButton(QWidget* Parent, const char* Name, int Left, int Top, const QString& Hint,
                              const char* Glyph) {
    auto* Button = new TImageButton(Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    Button->setGeometry(Left, Top, 32, 32);
    Button->setToolTip(Hint);
    Button->setCursor(Qt::PointingHandCursor);
    // The hover and pressed faces are the normal one, drawn in place.
    Button->SetUseDown(false);
    const QImage Face = Artwork(QStringLiteral("glyph_%1.png").arg(QLatin1String(Glyph)));
    Button->SetImage(Face);
    Button->SetImageOver(Face);
    Button->SetImageDown(Face);
    Button->SetImageDisable(Artwork(QStringLiteral("glyph_%1_disabled.png").arg(QLatin1String(Glyph))));
    return Button;
}

QPushButton* MakeButton(QWidget* Parent, const char* Name, const QRect& Bounds, const QString& Caption,
                        const QString& Hint) {
    auto* Button = new QPushButton(Caption, Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    Button->setGeometry(Bounds);
    Button->setToolTip(Hint);
    Button->setFont(FormFont(kLargeFontPixels, true, true));
    Button->setAutoDefault(false);
    return Button;
}

QRadioButton* MakeRadio(QWidget* Parent, const char* Name, const QRect& Bounds, const QString& Caption) {
    auto* Radio = new QRadioButton(Caption, Parent);
    Radio->setObjectName(QString::fromLatin1(Name));
    Radio->setGeometry(Bounds);
    return Radio;
}

TMyFlatEdit* MakeFlatEdit(QWidget* Parent, const char* Name, const QRect& Bounds) {
    auto* Edit = new TMyFlatEdit(Parent);
    Edit->setObjectName(QString::fromLatin1(Name));
    Edit->setGeometry(Bounds);
    Edit->SetColorFlat(Qt::white);
    return Edit;
}

// The dock of the menu bar: the 2 × 28 gloss picture tiled across, the two toolbars on it,
// one at each end.
class TMenuDock : public QWidget {
public:
    explicit TMenuDock(QWidget* Parent)
        : QWidget(Parent), FBackground(QPixmap::fromImage(Artwork(QStringLiteral("tb_background.png")))) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter Painter(this);
        Painter.drawTiledPixmap(rect(), FBackground);
    }

private:
    QPixmap FBackground;
};

} // namespace

TmainDlg::TmainDlg(TNotifyEvent OnCreate, TNotifyEvent OnDestroy, QWidget* Parent)
    : QWidget(Parent, Qt::Window), OnCreate(std::move(OnCreate)), OnDestroy(std::move(OnDestroy)) {
    setObjectName(QStringLiteral("mainDlg"));
    // A fixed single border: a minimise button, no maximise button, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont(kFontPixels));
    SetTextColor(this, QPalette::Window, Qt::white);
    setAutoFillBackground(true);
    setWindowIcon(ApplicationIcon());

    // Creation order is drawing order: the bands and the monitor first, the header
    // artwork over the band, the controls over the pictures.
    Image1 = MakePicture(this, "Image1", "header_band.png", 0, 0, kClientWidth, 92, true);
    Image2 = MakePicture(this, "Image2", "footer_band.png", 0, 490, kClientWidth, 28, true);
    Image4 = MakePicture(this, "Image4", "monitor.png", -21, 104, 0, 0, false);

    // Only its bounds are used: the controller puts the video panel there.
    blView = new QFrame(this);
    blView->setObjectName(QStringLiteral("blView"));
    blView->setGeometry(37, 151, 395, 193);
    blView->setFrameShape(QFrame::NoFrame);
    blView->hide();

    Image5 = MakePicture(this, "Image5", "header_art.png", 0, 0, 0, 0, false);

    SliderBar = new TSliderBar(this);
    SliderBar->setObjectName(QStringLiteral("SliderBar"));
    SliderBar->setGeometry(35, 346, 401, 41);
    SliderBar->SetMax(100);
    SliderBar->SetBarLeft(Artwork(QStringLiteral("bar_left.png")));
    SliderBar->SetBarRight(Artwork(QStringLiteral("bar_right.png")));
    SliderBar->SetBar(Artwork(QStringLiteral("bar.png")));
    SliderBar->SetBarProgress(Artwork(QStringLiteral("bar_progress.png")));
    SliderBar->SetBarPointer(Artwork(QStringLiteral("bar_pointer.png")));
    SliderBar->SetBarPointerDown(Artwork(QStringLiteral("bar_pointer_down.png")));
    SliderBar->setEnabled(false);

    lbVersion = MakeLabel(this, "lbVersion", QRect(744, 495, 36, 18), QString::fromLatin1(kDesignVersion),
                          Qt::AlignRight | Qt::AlignVCenter);
    lbVersion->setFont(FormFont(kFontPixels, true, true));
    SetTextColor(lbVersion, QPalette::WindowText, Qt::white);

    lbInfo = MakeLabel(this, "lbInfo", QRect(8, 496, 649, 16), QString());
    lbInfo->setFont(FormFont(kFontPixels, true, true));
    SetTextColor(lbInfo, QPalette::WindowText, Qt::white);

    // From the monitor's foot to GENERATE's right edge: room for a saved frame's path.
    lbConvertInfo = MakeLabel(this, "lbConvertInfo", QRect(345, 463, 421, 22),
                              tr("Processing: %1/%2").arg(0).arg(0), Qt::AlignRight | Qt::AlignVCenter);
    lbConvertInfo->setFont(FormFont(kLargeFontPixels, false, true));
    SetTextColor(lbConvertInfo, QPalette::WindowText, Qt::black);

    btnPlay = MakeImageButton(this, "btnPlay", 217, 374, tr("play"), "play");
    btnPause = MakeImageButton(this, "btnPause", 177, 374, tr("pause"), "pause");
    btnStop = MakeImageButton(this, "btnStop", 257, 374, tr("stop"), "stop");
    btnStartPoint = MakeImageButton(this, "btnStartPoint", 31, 374, tr("start point"), "point");
    btnEndPoint = MakeImageButton(this, "btnEndPoint", 409, 374, tr("end point"), "point");

    Label1 = MakeLabel(this, "Label1", QRect(616, 330, 36, 18), tr("pieces"));
    Label1->setTextFormat(Qt::PlainText);

    CreateMenuBar();

    btnOpen = MakeButton(this, "btnOpen", QRect(485, 136, 281, 49), tr("&Open a Video"),
                         tr("open a video from disk"));
    btnSaveFolder = MakeButton(this, "btnSaveFolder", QRect(485, 192, 281, 49), tr("&Select Save Folder"),
                               tr("select a folder for saving thumbnails (Optional)"));
    btnGenerate = MakeButton(this, "btnGenerate", QRect(485, 392, 281, 65), tr("GENERATE"),
                             tr("start generating thumbnails from the video"));
    // The one push button with a colour of its own. A skin's style sheet would override
    // the palette, so the colour is also given as this button's own style sheet, which
    // wins over any inherited one.
    SetTextColor(btnGenerate, QPalette::ButtonText, kGenerateText);
    btnGenerate->setStyleSheet(QStringLiteral("color: %1;").arg(kGenerateText.name()));
    // The other two large buttons write in the window's text colour, in the same way.
    for (QPushButton* Button : {btnOpen, btnSaveFolder})
        Button->setStyleSheet(
            QStringLiteral("color: %1;").arg(SkinPalette().color(QPalette::WindowText).name()));

    // Read-only: only the folder chooser writes it. Disabled while it shows the default.
    etSaveFolder = MakeFlatEdit(this, "etSaveFolder", QRect(485, 256, 281, 28));
    etSaveFolder->setToolTip(tr("save folder (leave blank to use global save folder)"));
    etSaveFolder->setReadOnly(true);
    etSaveFolder->SetColorBorder(kSaveFolderBorder);
    etSaveFolder->setFont(FormFont(kLargeFontPixels));
    SetTextColor(etSaveFolder, QPalette::Text, kSaveFolderText);
    etSaveFolder->setEnabled(false);
    // A long folder shows its start and its end, where the files go.
    etSaveFolder->SetElideMode(Qt::ElideMiddle);
    tmiDefaultFolder = new QAction(SkinClearIcon(), tr("Use the &Global Save Folder"), etSaveFolder);
    tmiDefaultFolder->setObjectName(QStringLiteral("tmiDefaultFolder"));
    tmiDefaultFolder->setToolTip(tr("use the global save folder"));
    etSaveFolder->addAction(tmiDefaultFolder, QLineEdit::TrailingPosition);
    // Hidden once in the field, so that its cross goes too.
    tmiDefaultFolder->setVisible(false);

    // The three radio buttons are one exclusive group: they share this parent.
    rbWhole = MakeRadio(this, "rbWhole", QRect(485, 296, 281, 22), tr("convert whole video"));
    rbWhole->setChecked(true);
    rbPieces = MakeRadio(this, "rbPieces", QRect(485, 328, 52, 22), tr("only"));

    etPieces = MakeFlatEdit(this, "etPieces", QRect(544, 327, 57, 24));
    etPieces->SetValueType(TEditValueType::evtInteger);
    etPieces->setMaxLength(kPiecesMaxLength);
    etPieces->setText(QStringLiteral("12"));
    etPieces->setEnabled(false);
    // Wide enough for every digit it takes; the word after it moves along.
    etPieces->resize(std::max(etPieces->width(), etPieces->WidthForDigits(kPiecesMaxLength)),
                     etPieces->height());
    Label1->move(std::max(Label1->x(), etPieces->geometry().right() + 1 + kPiecesLabelGap), Label1->y());

    rbStartEnd = MakeRadio(this, "rbStartEnd", QRect(485, 360, 281, 22), tr("from start point to end point"));

    setAcceptDrops(true);

    // Keyboard focus runs down the right column, then along the player from the slider and
    // its buttons left to right; disabled controls drop out by themselves.
    QWidget* const TabOrder[] = {btnOpen,  btnSaveFolder, etSaveFolder, rbWhole,    rbPieces,
                                 etPieces, rbStartEnd,    btnGenerate,  SliderBar,  btnStartPoint,
                                 btnPause, btnPlay,       btnStop,      btnEndPoint};
    for (size_t I = 1; I < std::size(TabOrder); ++I)
        setTabOrder(TabOrder[I - 1], TabOrder[I]);
    // The window starts at the first stop, not at the first control made that takes the focus.
    btnOpen->setFocus();

    FormCreate();
}

TmainDlg::~TmainDlg() {
    FormDestroy();
}

void TmainDlg::CreateMenuBar() {
    TBXDock1 = new TMenuDock(this);
    TBXDock1->setObjectName(QStringLiteral("TBXDock1"));
    TBXDock1->setGeometry(0, 92, kClientWidth, 28);

    // Menus are windows of their own and do not inherit the form's font.
    const QFont MenuFont = FormFont(kFontPixels);
    auto MakeMenuBar = [&](const char* Name) {
        auto* Bar = new QMenuBar(TBXDock1);
        Bar->setObjectName(QString::fromLatin1(Name));
        Bar->setNativeMenuBar(false);
        Bar->setFont(MenuFont);
        // As wide as its menus, as high as the dock.
        Bar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        SetTextColor(Bar, QPalette::ButtonText, Qt::black);
        return Bar;
    };
    auto MakeMenu = [&](QWidget* Owner, const char* Name, const QString& Caption) {
        auto* Menu = new QMenu(Caption, Owner);
        Menu->setObjectName(QString::fromLatin1(Name));
        Menu->setFont(MenuFont);
        SetTextColor(Menu, QPalette::WindowText, Qt::black);
        SetTextColor(Menu, QPalette::Text, Qt::black);
        return Menu;
    };
    // A key beside an item works wherever the focus is in the window; in a text entry the
    // entry keeps the keys it uses itself (Space, the arrows, letters).
    auto MakeItem = [&](QMenu* Menu, const char* Name, const QString& Caption, const QKeySequence& Key = {}) {
        QAction* Item = Menu->addAction(Caption);
        Item->setObjectName(QString::fromLatin1(Name));
        if (!Key.isEmpty()) {
            Item->setShortcut(Key);
            Item->setShortcutContext(Qt::WindowShortcut);
            addAction(Item);
        }
        return Item;
    };

    TBXToolbar1 = MakeMenuBar("TBXToolbar1");
    TBXSubmenuItem1 = MakeMenu(TBXToolbar1, "TBXSubmenuItem1", tr("&Action"));
    TBXToolbar1->addMenu(TBXSubmenuItem1);
    TBXSubmenuItem4 = MakeMenu(TBXSubmenuItem1, "TBXSubmenuItem4", tr("&File"));
    TBXSubmenuItem1->addMenu(TBXSubmenuItem4);
    tmiOpen = MakeItem(TBXSubmenuItem4, "tmiOpen", tr("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    TBXSubmenuItem3 = MakeMenu(TBXSubmenuItem1, "TBXSubmenuItem3", tr("&Playback"));
    TBXSubmenuItem1->addMenu(TBXSubmenuItem3);
    tmiPlay = MakeItem(TBXSubmenuItem3, "tmiPlay", tr("&Play"));
    tmiPause = MakeItem(TBXSubmenuItem3, "tmiPause", tr("&Pause"));
    tmiStop = MakeItem(TBXSubmenuItem3, "tmiStop", tr("&Stop"));
    TBXSubmenuItem3->addSeparator();
    tmiPlayPause = MakeItem(TBXSubmenuItem3, "tmiPlayPause", tr("Play/P&ause"), QKeySequence(Qt::Key_Space));
    tmiBack = MakeItem(TBXSubmenuItem3, "tmiBack", tr("&Back 5 s"), QKeySequence(Qt::Key_Left));
    tmiForward = MakeItem(TBXSubmenuItem3, "tmiForward", tr("&Forward 5 s"), QKeySequence(Qt::Key_Right));
    tmiFullScreen = MakeItem(TBXSubmenuItem3, "tmiFullScreen", tr("F&ull Screen"), QKeySequence(Qt::Key_F));
    tmiFirstFrame =
        MakeItem(TBXSubmenuItem3, "tmiFirstFrame", tr("F&irst Frame"), QKeySequence(Qt::Key_Home));
    tmiLastFrame = MakeItem(TBXSubmenuItem3, "tmiLastFrame", tr("&Last Frame"), QKeySequence(Qt::Key_End));
    tmiNextFrame = MakeItem(TBXSubmenuItem3, "tmiNextFrame", tr("Ne&xt Frame"), QKeySequence(Qt::Key_Period));
    tmiPreviousFrame =
        MakeItem(TBXSubmenuItem3, "tmiPreviousFrame", tr("Pre&vious Frame"), QKeySequence(Qt::Key_Comma));
    TBXSubmenuItem3->addSeparator();
    tmiStartMark = MakeItem(TBXSubmenuItem3, "tmiStartMark", tr("Start &Mark"), QKeySequence(Qt::Key_I));
    tmiEndMark = MakeItem(TBXSubmenuItem3, "tmiEndMark", tr("E&nd Mark"), QKeySequence(Qt::Key_O));
    tmiConfig = MakeItem(TBXSubmenuItem1, "tmiConfig", tr("&Config"));
    tmiSheet = MakeItem(TBXSubmenuItem1, "tmiSheet", tr("Make a Contact &Sheet…"));
    tmiSaveFrame =
        MakeItem(TBXSubmenuItem1, "tmiSaveFrame", tr("Save This Fra&me"), QKeySequence(Qt::CTRL | Qt::Key_S));
    tmiConfig->setEnabled(false); // until a video is opened
    tmiStopJob =
        MakeItem(TBXSubmenuItem1, "tmiStopJob", tr("S&top Generating"), QKeySequence(Qt::Key_Escape));
    tmiExit = MakeItem(TBXSubmenuItem1, "tmiExit", tr("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    TBXToolbar2 = MakeMenuBar("TBXToolbar2");
    TBXSubmenuItem2 = MakeMenu(TBXToolbar2, "TBXSubmenuItem2", tr("&Help"));
    TBXToolbar2->addMenu(TBXSubmenuItem2);
    tmiHelp = MakeItem(TBXSubmenuItem2, "tmiHelp", tr("&Online"));
    tmiSupport = MakeItem(TBXSubmenuItem2, "tmiSupport", tr("&Support"));
    TBXSeparatorItem1 = TBXSubmenuItem2->addSeparator();
    TBXSeparatorItem1->setObjectName(QStringLiteral("TBXSeparatorItem1"));
    tmiAbout = MakeItem(TBXSubmenuItem2, "tmiAbout", tr("&About"));

    // One toolbar at each end of the dock. A layout keeps the second one flush with the
    // right edge whatever width the skin's metrics give it, also when the skin is chosen
    // after the form is built.
    auto* Layout = new QHBoxLayout(TBXDock1);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    Layout->addWidget(TBXToolbar1);
    Layout->addStretch(1);
    Layout->addWidget(TBXToolbar2);
    Layout->activate();
}

void TmainDlg::FormCreate() {
    if (OnCreate)
        OnCreate(this);
}

void TmainDlg::FormDestroy() {
    if (OnDestroy)
        OnDestroy(this);
}

void TmainDlg::closeEvent(QCloseEvent* Event) {
    TCloseAction Action = TCloseAction::caHide;
    if (OnClose)
        OnClose(this, Action);
    switch (Action) {
    case TCloseAction::caNone:
        Event->ignore();
        break;
    case TCloseAction::caHide:
        Event->accept();
        break;
    }
}

namespace {

// The one local file (not a folder) that a drag carries, or empty.
QString DroppedFile(const QMimeData* Data) {
    if (!Data || !Data->hasUrls() || Data->urls().size() != 1 || !Data->urls().first().isLocalFile())
        return {};
    const QString Path = Data->urls().first().toLocalFile();
    return QFileInfo(Path).isFile() ? Path : QString();
}

} // namespace

void TmainDlg::dragEnterEvent(QDragEnterEvent* Event) {
    if (OnDropFile && !DroppedFile(Event->mimeData()).isEmpty())
        Event->acceptProposedAction();
}

void TmainDlg::dropEvent(QDropEvent* Event) {
    const QString FileName = DroppedFile(Event->mimeData());
    if (FileName.isEmpty() || !OnDropFile)
        return;
    Event->acceptProposedAction();
    OnDropFile(FileName);
}

void TmainDlg::keyPressEvent(QKeyEvent* Event) {
    auto* Button = qobject_cast<QAbstractButton*>(focusWidget());
    if (Button && (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) && Button->isEnabled()) {
        Button->click();
        return;
    }
    QWidget::keyPressEvent(Event);
}
