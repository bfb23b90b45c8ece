#include "artwork.h"

#include <QGuiApplication>

#include <mutex>
#include <stdexcept>

namespace {

constexpr const char* kImagePrefix = ":/trovelle/images/";
constexpr const char* kIconPattern = ":/trovelle/icons/trovelle-%1.png";
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

} // namespace

// The resource file lives in a static library, whose registration code the linker would
// drop as unreferenced; registering it here, once, keeps it.
static void RegisterArtwork() {
    static std::once_flag Once;
    std::call_once(Once, [] { Q_INIT_RESOURCE(trovelle); });
}

QImage Artwork(const QString& Name) {
    RegisterArtwork();
    // On a scaled screen the picture drawn at twice the size, where there is one.
    if (qApp && qApp->devicePixelRatio() > 1.0) {
        const int Dot = Name.lastIndexOf(u'.');
        QImage Double(QString::fromLatin1(kImagePrefix) + Name.left(Dot) + QStringLiteral("@2x") + Name.mid(Dot));
        if (!Double.isNull()) {
            Double.setDevicePixelRatio(2.0);
            return Double;
        }
    }
    QImage Image(QString::fromLatin1(kImagePrefix) + Name);
    if (Image.isNull())
        throw std::runtime_error("Missing picture: " + Name.toStdString());
    return Image;
}

QIcon ApplicationIcon() {
    RegisterArtwork();
    QIcon Icon;
    for (int Size : kIconSizes)
        Icon.addFile(QString::fromLatin1(kIconPattern).arg(Size), QSize(Size, Size));
    return Icon;
}
