// makeart: draws every picture of Trovelle's windows with QPainter and writes them into
// resources/ (images/ for the forms, icons/ for the application icon). The outputs are
// committed; run this again only to change the artwork:
//
//     resources/tools/make_artwork.sh
//
// All pictures share one palette (navy ink, a blue ramp, silver, one orange accent) and
// one light: it comes from the top left, so gradients are lighter at the top, highlights
// sit on top and left edges and shadows fall to the bottom right. Straight edges are
// drawn on whole pixels without antialiasing so that the pictures stay crisp at 1x.
//
// Every picture of the forms is drawn twice: at its size and at twice its size for scaled
// screens ("monitor.png" and "monitor@2x.png"). The drawing code works in the 1x picture's
// coordinates either way; the 2x picture's device pixel ratio does the rest.
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// The palette.
const QColor kInk(0x0F, 0x2A, 0x4A);
const QColor kBlueDeep(0x1F, 0x5F, 0xAF);
const QColor kBlue(0x2F, 0x7F, 0xD6);
const QColor kBlueLight(0x6D, 0xB4, 0xEE);
const QColor kBlueOutline(0x17, 0x4A, 0x8A);
const QColor kCyanPale(0xEA, 0xF8, 0xFD);
const QColor kCyan(0xC4, 0xEA, 0xF8);
const QColor kCyanDeep(0xA5, 0xDA, 0xF2);
const QColor kSky(0x6F, 0xB6, 0xE4);
const QColor kSilverLight(0xF7, 0xF9, 0xFB);
const QColor kSilver(0xD3, 0xDA, 0xE2);
const QColor kSilverDark(0x8E, 0x9A, 0xA8);
const QColor kGrey(0x66, 0x66, 0x66);
const QColor kAccent(0xF2, 0x9A, 0x2E);
const QColor kAccentDeep(0xC8, 0x6A, 0x17);
const QColor kAccentLight(0xFB, 0xD3, 0x94);
const QColor kScreenTop(0x1C, 0x2A, 0x3F);
const QColor kScreenBottom(0x06, 0x0B, 0x13);

// Faces of a glyph: the blue one of an enabled button and the grey one of a disabled one.
struct TFace {
    QColor Top;
    QColor Bottom;
    QColor Outline;
    QColor SymbolShadow;
};
const TFace kBlueFace{QColor(0x5A, 0xAA, 0xE9), kBlueDeep, kBlueOutline, QColor(0x0F, 0x2A, 0x4A, 110)};
const TFace kGreyFace{QColor(0xE2, 0xE6, 0xEA), QColor(0xAE, 0xB7, 0xC1), kSilverDark,
                      QColor(0x5A, 0x66, 0x73, 90)};

QString GOutDir;
// 1 for the normal pictures, 2 for the pictures of scaled screens.
int GScale = 1;

QImage NewImage(int Width, int Height, bool Alpha = true) {
    QImage Image(Width * GScale, Height * GScale, Alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    Image.setDevicePixelRatio(GScale);
    Image.fill(Alpha ? Qt::transparent : Qt::white);
    return Image;
}

void Save(const QImage& Image, const QString& Name, int Quality = -1) {
    QString File = Name;
    if (GScale != 1)
        File.insert(File.lastIndexOf('.'), QString("@%1x").arg(GScale));
    const QString Path = QDir(GOutDir).filePath(File);
    QDir().mkpath(QFileInfo(Path).path());
    // PNGs keep their alpha channel only where the picture needs one.
    QImage Out = Image;
    if (Name.endsWith(".png") && !Image.hasAlphaChannel())
        Out = Image.convertToFormat(QImage::Format_RGB32);
    else if (Name.endsWith(".png"))
        Out = Image.convertToFormat(QImage::Format_ARGB32);
    if (!Out.save(Path, nullptr, Quality)) {
        std::fprintf(stderr, "makeart: cannot write %s\n", qPrintable(Path));
        std::exit(1);
    }
    std::printf("%4d x %-4d %s\n", Image.width(), Image.height(), qPrintable(File));
}

QColor Mix(const QColor& A, const QColor& B, double T) {
    return QColor::fromRgbF(A.redF() + (B.redF() - A.redF()) * T, A.greenF() + (B.greenF() - A.greenF()) * T,
                            A.blueF() + (B.blueF() - A.blueF()) * T,
                            A.alphaF() + (B.alphaF() - A.alphaF()) * T);
}

// A vertical ramp, one colour per row, From at Top and To at Bottom - 1 (rows of the 1x
// picture; a 2x picture gives each its two pixel rows).
void FillRows(QImage& Image, int Top, int Bottom, const QColor& From, const QColor& To) {
    for (int Y = Top; Y < Bottom; ++Y) {
        const double T = Bottom - Top > 1 ? double(Y - Top) / (Bottom - Top - 1) : 0.0;
        const QRgb Row = Mix(From, To, T).rgba();
        for (int D = Y * GScale; D < (Y + 1) * GScale; ++D)
            for (int X = 0; X < Image.width(); ++X)
                Image.setPixel(X, D, Row);
    }
}

void SetRow(QImage& Image, int Y, const QColor& Color) {
    FillRows(Image, Y, Y + 1, Color, Color);
}

QFont Font(int PixelSize, bool Bold, bool Italic) {
    QFont F("Open Sans");
    F.setPixelSize(PixelSize);
    F.setBold(Bold);
    F.setItalic(Italic);
    F.setHintingPreference(QFont::PreferFullHinting);
    return F;
}

// ---- The thumbnail scenes ------------------------------------------------------------
// The film frames of the header, the splash and the icon show one small landscape at four
// times of day: the program's subject, a video cut into stills.

enum class TScene { Dawn, Noon, Dusk, Night };

void DrawScene(QPainter& P, const QRectF& R, TScene Scene) {
    P.save();
    P.setClipRect(R);
    QColor SkyTop, SkyBottom, Far, Near, Sun;
    switch (Scene) {
    case TScene::Dawn:
        SkyTop = QColor(0x9F, 0xC9, 0xEC), SkyBottom = kAccentLight, Far = QColor(0x7F, 0x9F, 0xC4);
        Near = QColor(0x35, 0x5E, 0x8E), Sun = kAccent;
        break;
    case TScene::Noon:
        SkyTop = kBlue, SkyBottom = kCyan, Far = kSky, Near = kBlueDeep, Sun = QColor(0xFF, 0xF4, 0xD6);
        break;
    case TScene::Dusk:
        SkyTop = QColor(0x4A, 0x4F, 0x8C), SkyBottom = kAccent, Far = QColor(0x6A, 0x4F, 0x78);
        Near = QColor(0x2A, 0x25, 0x48), Sun = QColor(0xFF, 0xD9, 0x8A);
        break;
    case TScene::Night:
        SkyTop = QColor(0x07, 0x10, 0x22), SkyBottom = QColor(0x1F, 0x3A, 0x66),
        Far = QColor(0x27, 0x40, 0x66);
        Near = QColor(0x0B, 0x18, 0x2E), Sun = QColor(0xF4, 0xF1, 0xE4);
        break;
    }
    QLinearGradient Sky(R.topLeft(), R.bottomLeft());
    Sky.setColorAt(0, SkyTop);
    Sky.setColorAt(1, SkyBottom);
    P.fillRect(R, Sky);

    const double W = R.width(), H = R.height();
    auto At = [&](double X, double Y) { return QPointF(R.left() + X * W, R.top() + Y * H); };
    P.setRenderHint(QPainter::Antialiasing, true);
    P.setPen(Qt::NoPen);
    if (Scene == TScene::Night) {
        P.setBrush(QColor(255, 255, 255, 200));
        for (const auto& [X, Y] :
             {std::pair{0.12, 0.18}, {0.3, 0.32}, {0.52, 0.12}, {0.86, 0.26}, {0.7, 0.4}})
            P.drawEllipse(At(X, Y), 0.6 + H / 90.0, 0.6 + H / 90.0);
    }
    // The sun (or moon) sits on the right, higher at noon.
    const double SunY = Scene == TScene::Noon ? 0.3 : Scene == TScene::Night ? 0.28 : 0.52;
    const double SunR = H * 0.14;
    QRadialGradient Glow(At(0.68, SunY), SunR * 3);
    Glow.setColorAt(0, QColor(Sun.red(), Sun.green(), Sun.blue(), 110));
    Glow.setColorAt(1, QColor(Sun.red(), Sun.green(), Sun.blue(), 0));
    P.setBrush(Glow);
    P.drawEllipse(At(0.68, SunY), SunR * 3, SunR * 3);
    P.setBrush(Sun);
    P.drawEllipse(At(0.68, SunY), SunR, SunR);
    if (Scene == TScene::Night) {
        P.setBrush(SkyTop);
        P.drawEllipse(At(0.68, SunY) + QPointF(SunR * 0.45, -SunR * 0.3), SunR * 0.85, SunR * 0.85);
    }

    QPainterPath FarHills;
    FarHills.moveTo(At(0, 0.62));
    FarHills.cubicTo(At(0.18, 0.45), At(0.3, 0.5), At(0.45, 0.6));
    FarHills.cubicTo(At(0.6, 0.7), At(0.78, 0.48), At(1.0, 0.58));
    FarHills.lineTo(At(1, 1));
    FarHills.lineTo(At(0, 1));
    P.setBrush(Far);
    P.drawPath(FarHills);

    QPainterPath NearHill;
    NearHill.moveTo(At(0, 0.8));
    NearHill.cubicTo(At(0.25, 0.62), At(0.45, 0.7), At(0.62, 0.82));
    NearHill.cubicTo(At(0.75, 0.9), At(0.9, 0.78), At(1.0, 0.8));
    NearHill.lineTo(At(1, 1));
    NearHill.lineTo(At(0, 1));
    P.setBrush(Near);
    P.drawPath(NearHill);
    P.restore();
}

// A strip of film from Left to Right with its frames; FrameW × FrameH frames on a Gap
// pitch, sprocket holes in the two margins.
void DrawFilmStrip(QPainter& P, const QRect& Strip, int FrameW, int FrameH, int Gap,
                   const std::vector<TScene>& Scenes) {
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient Base(Strip.topLeft(), Strip.bottomLeft());
    Base.setColorAt(0, QColor(0x24, 0x3E, 0x60));
    Base.setColorAt(1, kInk);
    P.fillRect(Strip, Base);
    // Light from above: a lit top edge, a dark bottom edge.
    P.fillRect(Strip.left(), Strip.top(), Strip.width(), 1, QColor(0x4E, 0x6C, 0x92));
    P.fillRect(Strip.left(), Strip.bottom(), Strip.width(), 1, QColor(0x08, 0x16, 0x28));

    const int Margin = (Strip.height() - FrameH) / 2;
    const int Hole = qMax(2, Margin / 2 - 1);
    const int HoleTop = Strip.top() + (Margin - Hole) / 2;
    const int HoleBottom = Strip.bottom() + 1 - Margin + (Margin - Hole) / 2;
    for (int X = Strip.left() + 4; X + Hole * 2 < Strip.right(); X += Hole * 3) {
        for (int Y : {HoleTop, HoleBottom}) {
            P.fillRect(X, Y, Hole + 1, Hole, QColor(0xF4, 0xF7, 0xFA));
            P.fillRect(X, Y, Hole + 1, 1, QColor(0xB9, 0xC4, 0xD0)); // the hole's shaded top lip
        }
    }
    // The frames sit centred on the strip.
    const int Count = int(Scenes.size());
    int X = Strip.left() + (Strip.width() - Count * FrameW - (Count - 1) * Gap) / 2;
    for (TScene Scene : Scenes) {
        const QRect Frame(X, Strip.top() + Margin, FrameW, FrameH);
        DrawScene(P, Frame, Scene);
        P.setRenderHint(QPainter::Antialiasing, false);
        // A one-pixel lit rim on the top and left, a shadowed one on the bottom and right.
        P.fillRect(Frame.left(), Frame.top(), Frame.width(), 1, QColor(255, 255, 255, 90));
        P.fillRect(Frame.left(), Frame.top(), 1, Frame.height(), QColor(255, 255, 255, 60));
        P.fillRect(Frame.left(), Frame.bottom(), Frame.width(), 1, QColor(0, 0, 0, 70));
        P.fillRect(Frame.right(), Frame.top(), 1, Frame.height(), QColor(0, 0, 0, 50));
        X += FrameW + Gap;
    }
    P.restore();
}

// Fades the picture out towards the right, from full at From to nothing at To.
void FadeRight(QImage& Image, int From, int To) {
    QPainter P(&Image);
    P.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QLinearGradient Fade(From, 0, To, 0);
    Fade.setColorAt(0, QColor(0, 0, 0, 255));
    Fade.setColorAt(1, QColor(0, 0, 0, 0));
    P.fillRect(Image.rect(), Fade);
}

void DrawWordmark(QPainter& P, QPoint Baseline, int Size, const QColor& Color, bool Shadow = true) {
    P.save();
    P.setRenderHint(QPainter::TextAntialiasing, true);
    P.setFont(Font(Size, true, true));
    if (Shadow) {
        P.setPen(QColor(kInk.red(), kInk.green(), kInk.blue(), 45));
        P.drawText(Baseline + QPoint(1, 2), "Trovelle");
    }
    P.setPen(Color);
    P.drawText(Baseline, "Trovelle");
    P.restore();
}

// ---- Bands ---------------------------------------------------------------------------

// Header band behind the header artwork: white that turns the palest cyan near the menu
// bar, so the header leads into the bar's light top. Every column is the same, so the
// form may stretch it to any width.
QImage HeaderBand() {
    QImage Image = NewImage(283, 92, false);
    FillRows(Image, 0, 56, Qt::white, Qt::white);
    FillRows(Image, 56, 92, Qt::white, QColor(0xE6, 0xF5, 0xFC));
    return Image;
}

// The glossy ramp of the menu bar and the footer: a lit upper half, a step, a deeper
// lower half, a highlight row on top and a dark rim at the bottom.
QImage GlossBand(int Width, int Height, const QColor& Highlight, const QColor& UpperTop,
                 const QColor& UpperBottom, const QColor& LowerTop, const QColor& LowerBottom,
                 const QColor& Rim) {
    QImage Image = NewImage(Width, Height, false);
    const int Half = Height / 2;
    FillRows(Image, 0, Half, UpperTop, UpperBottom);
    FillRows(Image, Half, Height, LowerTop, LowerBottom);
    SetRow(Image, 0, Highlight);
    SetRow(Image, Height - 1, Rim);
    return Image;
}

QImage MenuBackground() {
    return GlossBand(2, 28, QColor(0xF9, 0xFD, 0xFF), kCyanPale, kCyan, kCyanDeep, kSky,
                     QColor(0x4C, 0x93, 0xCC));
}

QImage FooterBand() {
    return GlossBand(283, 28, QColor(0x7F, 0xBB, 0xEE), QColor(0x3F, 0x8C, 0xD8), QColor(0x2C, 0x74, 0xC2),
                     QColor(0x22, 0x62, 0xAE), QColor(0x17, 0x47, 0x84), kInk);
}

// The header artwork: a strip of film with four stills and the name, fading out at the
// right so the band behind shows through.
QImage HeaderArt() {
    QImage Image = NewImage(600, 92);
    QPainter P(&Image);
    // Soft shadow of the strip, cast down and to the right.
    P.fillRect(QRect(2, 15, 440, 60), QColor(0x0F, 0x2A, 0x4A, 28));
    P.fillRect(QRect(1, 14, 440, 60), QColor(0x0F, 0x2A, 0x4A, 22));
    DrawFilmStrip(P, QRect(0, 12, 440, 60), 80, 44, 8,
                  {TScene::Dawn, TScene::Noon, TScene::Dusk, TScene::Night, TScene::Dawn});
    P.end();
    FadeRight(Image, 230, 420);

    QPainter T(&Image);
    DrawWordmark(T, QPoint(392, 52), 36, kBlueDeep);
    T.setFont(Font(12, false, true));
    T.setPen(kGrey);
    T.drawText(QPoint(400, 72), "every frame, a thumbnail");
    return Image;
}

// ---- The monitor ---------------------------------------------------------------------
// The backdrop lies at (-21, 104) in the main window; its screen is exactly the window's
// video area (37, 151)-(432, 344), the chin under it carries the slider and the player
// buttons, and nothing is drawn below the footer's top edge (window y 490).

constexpr int kOriginX = -21;
constexpr int kOriginY = 104;
const QRect kScreen(37 - kOriginX, 151 - kOriginY, 432 - 37, 344 - 151);

QImage Monitor() {
    QImage Image = NewImage(512, 400);
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing, true);

    const QRectF Body(40.5, 30.5, 431, 283);
    const double Radius = 10;

    // Stand first, the body overlaps its neck. Shadow on the desk, then the foot, then the neck.
    QRadialGradient Floor(QPointF(262, 377), 130);
    Floor.setColorAt(0, QColor(0x0F, 0x2A, 0x4A, 60));
    Floor.setColorAt(1, QColor(0x0F, 0x2A, 0x4A, 0));
    P.save();
    P.translate(262, 377);
    P.scale(1.0, 0.065);
    P.translate(-262, -377);
    P.setPen(Qt::NoPen);
    P.setBrush(Floor);
    P.drawEllipse(QPointF(262, 377), 130, 130);
    P.restore();

    QPainterPath Foot;
    Foot.addRoundedRect(QRectF(156.5, 360.5, 199, 17), 8, 8);
    QLinearGradient FootFill(0, 360, 0, 378);
    FootFill.setColorAt(0, kSilverLight);
    FootFill.setColorAt(1, QColor(0xB4, 0xBF, 0xCB));
    P.setPen(QPen(kSilverDark, 1));
    P.setBrush(FootFill);
    P.drawPath(Foot);

    QPainterPath Neck;
    Neck.moveTo(228.5, 312);
    Neck.lineTo(284.5, 312);
    Neck.lineTo(290.5, 362);
    Neck.lineTo(222.5, 362);
    Neck.closeSubpath();
    QLinearGradient NeckFill(222, 0, 291, 0);
    NeckFill.setColorAt(0, kSilverLight);
    NeckFill.setColorAt(0.55, kSilver);
    NeckFill.setColorAt(1, QColor(0xA9, 0xB4, 0xC0));
    P.setBrush(NeckFill);
    P.drawPath(Neck);
    // The body's shadow on the neck.
    P.setPen(Qt::NoPen);
    P.fillRect(QRectF(223, 313, 67, 6), QColor(0x0F, 0x2A, 0x4A, 40));

    // Body: drop shadow to the bottom right, then the silver shell.
    P.setBrush(QColor(0x0F, 0x2A, 0x4A, 30));
    P.drawRoundedRect(Body.translated(3, 3), Radius, Radius);
    P.setBrush(QColor(0x0F, 0x2A, 0x4A, 30));
    P.drawRoundedRect(Body.translated(1.5, 1.5), Radius, Radius);
    QLinearGradient Shell(Body.topLeft(), Body.bottomLeft());
    Shell.setColorAt(0, kSilverLight);
    Shell.setColorAt(0.7, QColor(0xE4, 0xE9, 0xEE));
    Shell.setColorAt(1, kSilver);
    P.setPen(QPen(kSilverDark, 1));
    P.setBrush(Shell);
    P.drawRoundedRect(Body, Radius, Radius);
    // A lit inner rim along the top and left.
    P.setPen(QPen(QColor(255, 255, 255, 220), 1));
    P.setBrush(Qt::NoBrush);
    P.drawRoundedRect(Body.adjusted(1, 1, -1, -1), Radius - 1, Radius - 1);

    // The screen's recess: shadowed at the top and left (the light comes over the rim),
    // lit at the bottom and right.
    P.setRenderHint(QPainter::Antialiasing, false);
    const QRect Recess = kScreen.adjusted(-2, -2, 2, 2);
    P.fillRect(Recess, QColor(0x5B, 0x66, 0x73));
    P.fillRect(Recess.left(), Recess.bottom(), Recess.width(), 1, QColor(255, 255, 255));
    P.fillRect(Recess.right(), Recess.top(), 1, Recess.height(), QColor(255, 255, 255));
    P.fillRect(kScreen.adjusted(-1, -1, 1, 1), QColor(0x22, 0x2A, 0x35));

    // The dark, empty screen with a faint sheen from the top left.
    QLinearGradient Glass(kScreen.topLeft(), kScreen.bottomRight());
    Glass.setColorAt(0, kScreenTop);
    Glass.setColorAt(1, kScreenBottom);
    P.fillRect(kScreen, Glass);
    P.save();
    P.setClipRect(kScreen);
    P.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath Sheen;
    Sheen.moveTo(kScreen.left(), kScreen.top());
    Sheen.lineTo(kScreen.left() + 250, kScreen.top());
    Sheen.lineTo(kScreen.left() + 90, kScreen.bottom() + 1);
    Sheen.lineTo(kScreen.left(), kScreen.bottom() + 1);
    Sheen.closeSubpath();
    QLinearGradient SheenFill(kScreen.topLeft(), QPointF(kScreen.left() + 170, kScreen.top() + 193));
    SheenFill.setColorAt(0, QColor(255, 255, 255, 26));
    SheenFill.setColorAt(1, QColor(255, 255, 255, 4));
    P.setPen(Qt::NoPen);
    P.setBrush(SheenFill);
    P.drawPath(Sheen);
    // A faint play mark in the middle of the empty screen.
    const QPointF C = QRectF(kScreen).center();
    P.setPen(QPen(QColor(255, 255, 255, 34), 2));
    P.setBrush(Qt::NoBrush);
    P.drawRoundedRect(QRectF(C.x() - 22, C.y() - 22, 44, 44), 9, 9);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(255, 255, 255, 34));
    P.drawPolygon(QPolygonF({C + QPointF(-6, -10), C + QPointF(-6, 10), C + QPointF(11, 0)}));
    P.restore();

    return Image;
}

// ---- Slider pieces -------------------------------------------------------------------
// The track is a groove cut into the silver chin: its top rows lie in shadow, its bottom
// lip catches the light. The selection fills the groove with the accent colour.

QImage Groove(int Width, const std::array<QColor, 5>& Rows) {
    QImage Image = NewImage(Width, 5, false);
    for (int Y = 0; Y < 5; ++Y)
        SetRow(Image, Y, Rows[Y]);
    return Image;
}

const std::array<QColor, 5> kTrackRows{QColor(0x6A, 0x77, 0x86), QColor(0x86, 0x92, 0x9F),
                                       QColor(0x9E, 0xA9, 0xB5), QColor(0xB4, 0xBE, 0xC8),
                                       QColor(0xFA, 0xFB, 0xFC)};
const std::array<QColor, 5> kTrackEndRows{QColor(0x5C, 0x68, 0x76), QColor(0x72, 0x7E, 0x8B),
                                          QColor(0x86, 0x92, 0x9F), QColor(0x9A, 0xA5, 0xB1),
                                          QColor(0xFA, 0xFB, 0xFC)};
const std::array<QColor, 5> kProgressRows{kAccentDeep, QColor(0xE0, 0x80, 0x22), kAccent,
                                          QColor(0xF7, 0xB4, 0x5C), kAccentLight};

// The pointer: a blue glossy capsule with a grip of three lines; held, it is darker and
// its gloss sinks, as if pressed in.
QImage Pointer(bool Down) {
    QImage Image = NewImage(25, 14);
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing, true);
    const QRectF Body(0.5, 0.5, 23, 12);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0x0F, 0x2A, 0x4A, 60));
    P.drawRoundedRect(Body.translated(1, 1), 6, 6);
    QLinearGradient Fill(0, 0, 0, 13);
    Fill.setColorAt(0, Down ? kBlue : kBlueLight);
    Fill.setColorAt(1, Down ? kBlueOutline : kBlueDeep);
    P.setPen(QPen(kBlueOutline, 1));
    P.setBrush(Fill);
    P.drawRoundedRect(Body, 6, 6);
    // Gloss on the upper half.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(255, 255, 255, Down ? 40 : 90));
    P.drawRoundedRect(QRectF(2.5, Down ? 3.5 : 1.5, 19, 5), 2.5, 2.5);
    // Grip.
    P.setRenderHint(QPainter::Antialiasing, false);
    for (int X : {9, 12, 15}) {
        P.fillRect(X, 4, 1, 6, QColor(255, 255, 255, 230));
        P.fillRect(X + 1, 4, 1, 6, QColor(0x0F, 0x2A, 0x4A, 90));
    }
    return Image;
}

// ---- Player glyphs -------------------------------------------------------------------

using TSymbol = std::function<void(QPainter&)>;

QImage Glyph(const TFace& Face, const TSymbol& Symbol) {
    QImage Image = NewImage(32, 32);
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing, true);
    const QRectF Body(0.5, 0.5, 30, 30);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0x0F, 0x2A, 0x4A, 55));
    P.drawRoundedRect(Body.translated(1, 1), 6, 6);
    QLinearGradient Fill(0, 0, 0, 31);
    Fill.setColorAt(0, Face.Top);
    Fill.setColorAt(1, Face.Bottom);
    P.setPen(QPen(Face.Outline, 1));
    P.setBrush(Fill);
    P.drawRoundedRect(Body, 6, 6);
    // Gloss over the upper half, the lit side.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(255, 255, 255, 60));
    P.drawRoundedRect(QRectF(2, 2, 27, 13), 4.5, 4.5);

    // The symbol: a shadow one pixel down and right, then the white symbol.
    P.save();
    P.translate(1, 1);
    P.setBrush(Face.SymbolShadow);
    P.setPen(Qt::NoPen);
    Symbol(P);
    P.restore();
    P.setBrush(Qt::white);
    P.setPen(Qt::NoPen);
    Symbol(P);
    return Image;
}

void PauseSymbol(QPainter& P) {
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    P.fillRect(10, 9, 4, 13, P.brush());
    P.fillRect(17, 9, 4, 13, P.brush());
    P.restore();
}

void PlaySymbol(QPainter& P) {
    // Set one pixel right of the centre, where a triangle looks centred.
    P.drawPolygon(QPolygonF({QPointF(11.5, 8), QPointF(11.5, 23), QPointF(23.5, 15.5)}));
}

void StopSymbol(QPainter& P) {
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    P.fillRect(10, 10, 11, 11, P.brush());
    P.restore();
}

void PointSymbol(QPainter& P) {
    // An upward chevron: a mark on the slider above it.
    QPen Pen(P.brush().color(), 3.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    P.save();
    P.setPen(Pen);
    P.setBrush(Qt::NoBrush);
    P.drawPolyline(QPolygonF({QPointF(9.5, 19.5), QPointF(15.5, 13.5), QPointF(21.5, 19.5)}));
    P.restore();
}

// ---- Application icon ----------------------------------------------------------------
// A blue tile like the player buttons holding one white-rimmed still of the landscape;
// from 32 pixels up the still is a piece of film with sprocket holes.

QImage Icon(int Size) {
    QImage Image = NewImage(Size, Size);
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing, true);
    const double S = Size / 32.0;
    const QRectF Body(0.5, 0.5, Size - 2, Size - 2);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0x0F, 0x2A, 0x4A, 55));
    P.drawRoundedRect(Body.translated(1, 1), 6 * S, 6 * S);
    QLinearGradient Fill(0, 0, 0, Size);
    Fill.setColorAt(0, kBlueFace.Top);
    Fill.setColorAt(1, kBlueFace.Bottom);
    P.setPen(QPen(kBlueOutline, 1));
    P.setBrush(Fill);
    P.drawRoundedRect(Body, 6 * S, 6 * S);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(255, 255, 255, 60));
    P.drawRoundedRect(QRectF(2 * S, 2 * S, Size - 4 * S - 1, (Size - 2) / 2.0 - S), 4.5 * S, 4.5 * S);

    // The still, on whole pixels.
    const int M = qRound(Size * 0.19);
    const int Top = qRound(Size * (Size >= 32 ? 0.22 : 0.25));
    const QRect Frame(M, Top, Size - 2 * M - 1, Size - 2 * Top - 1);
    P.setRenderHint(QPainter::Antialiasing, false);
    const int Rim = qMax(1, Size / 24);
    P.fillRect(Frame.adjusted(-Rim + 1, -Rim + 1, Rim + 1, Rim + 1), QColor(0x0F, 0x2A, 0x4A, 70));
    P.fillRect(Frame.adjusted(-Rim, -Rim, Rim, Rim), Qt::white);
    if (Size >= 32) {
        // Film: a navy band with holes above and below the picture.
        const QRect Film = Frame;
        P.fillRect(Film, kInk);
        const int Hole = qMax(1, Size / 21);
        const int Margin = Hole * 3;
        for (int X = Film.left() + Hole; X + Hole <= Film.right(); X += Hole * 3) {
            P.fillRect(X, Film.top() + Hole, Hole, Hole, Qt::white);
            P.fillRect(X, Film.bottom() - 2 * Hole + 1, Hole, Hole, Qt::white);
        }
        DrawScene(P, QRectF(Film.adjusted(Hole, Margin, -Hole, -Margin)), TScene::Noon);
    } else {
        DrawScene(P, QRectF(Frame), TScene::Noon);
    }
    return Image;
}

// ---- Splash --------------------------------------------------------------------------

QImage Splash() {
    QImage Image = NewImage(550, 300, false);
    FillRows(Image, 0, 300, Qt::white, QColor(0xE9, 0xF6, 0xFC));
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing, true);

    const QImage Tile = Icon(64);
    P.drawImage(QPoint(36, 36), Tile);
    DrawWordmark(P, QPoint(114, 86), 54, kBlueDeep);
    P.setFont(Font(16, false, true));
    P.setPen(kGrey);
    P.drawText(QPoint(120, 112), "every frame, a thumbnail");

    // Film running across, shadow first.
    P.fillRect(QRect(3, 151, 550, 96), QColor(0x0F, 0x2A, 0x4A, 40));
    DrawFilmStrip(P, QRect(0, 148, 550, 96), 120, 68, 12,
                  {TScene::Dawn, TScene::Noon, TScene::Dusk, TScene::Night});

    // The glossy footer of the main window, carried over.
    const QImage Foot = FooterBand().scaled(550 * GScale, 28 * GScale);
    P.drawImage(QPoint(0, 272), Foot);
    P.setFont(Font(12, true, true));
    P.setPen(Qt::white);
    P.drawText(QRect(0, 272, 538, 28), Qt::AlignRight | Qt::AlignVCenter, "video thumbnails");
    P.setPen(kCyan);
    P.drawText(QRect(12, 272, 300, 28), Qt::AlignLeft | Qt::AlignVCenter, "loading\u2026");
    return Image;
}

} // namespace

void SaveFormPictures();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication App(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeart <resources folder>\n");
        return 2;
    }
    GOutDir = QString::fromLocal8Bit(argv[1]);

    for (GScale = 1; GScale <= 2; ++GScale)
        SaveFormPictures();
    GScale = 1;
    for (int Size : {16, 24, 32, 48, 64, 128, 256})
        Save(Icon(Size), QString("icons/trovelle-%1.png").arg(Size));
    return 0;
}

void SaveFormPictures() {
    Save(HeaderBand(), "images/header_band.png");
    Save(FooterBand(), "images/footer_band.png");
    Save(HeaderArt(), "images/header_art.png");
    Save(Monitor(), "images/monitor.png");
    Save(MenuBackground(), "images/tb_background.png");

    Save(Groove(1, kTrackEndRows), "images/bar_left.png");
    Save(Groove(1, kTrackEndRows), "images/bar_right.png");
    Save(Groove(5, kTrackRows), "images/bar.png");
    Save(Groove(5, kProgressRows), "images/bar_progress.png");
    Save(Pointer(false), "images/bar_pointer.png");
    Save(Pointer(true), "images/bar_pointer_down.png");

    const std::pair<const char*, TSymbol> Glyphs[] = {
        {"pause", PauseSymbol}, {"play", PlaySymbol}, {"stop", StopSymbol}, {"point", PointSymbol}};
    for (const auto& [Name, Symbol] : Glyphs) {
        Save(Glyph(kBlueFace, Symbol), QString("images/glyph_%1.png").arg(Name));
        Save(Glyph(kGreyFace, Symbol), QString("images/glyph_%1_disabled.png").arg(Name));
    }

    Save(Splash(), "images/splash.jpg", 92);
}
