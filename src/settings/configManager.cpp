#include "configManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr const char* kOpenFolder = "Folders/Open";
constexpr const char* kSaveFolder = "Folders/Save";
constexpr const char* kWidth = "Thumbnail/Width";
constexpr const char* kHeight = "Thumbnail/Height";
constexpr const char* kConstrain = "Thumbnail/Constrain";
constexpr const char* kMode = "Generate/Mode";
constexpr const char* kPieces = "Generate/Pieces";

constexpr const char* kModeNames[] = {"whole", "pieces", "range"};

// A whole number written as decimal digits within Low..High, or nothing.
bool ReadInteger(const QSettings& Store, const char* Key, int32_t Low, int32_t High, int32_t& Value) {
    bool Ok = false;
    const qlonglong Read = Store.value(QLatin1String(Key)).toString().trimmed().toLongLong(&Ok);
    if (!Ok || Read < Low || Read > High)
        return false;
    Value = static_cast<int32_t>(Read);
    return true;
}

// An absolute path of a folder that still exists, or empty.
QString ReadFolder(const QSettings& Store, const char* Key) {
    const QString Folder = Store.value(QLatin1String(Key)).toString();
    if (Folder.isEmpty() || !QDir::isAbsolutePath(Folder) || !QFileInfo(Folder).isDir())
        return {};
    return Folder;
}

} // namespace

QString TConfigManager::Load(const QString& File) {
    if (QFileInfo(File).size() > kMaxFileBytes) {
        // Reading it would keep the program from starting for as long as it takes.
        const QString Aside = File + QStringLiteral(".too-large");
        QFile::remove(Aside);
        const bool Moved = QFile::rename(File, Aside);
        return QStringLiteral("The settings file %1 is larger than any settings file of Trovelle; %2 "
                              "The default settings are used.")
            .arg(File, Moved ? QStringLiteral("it was set aside as %1.").arg(Aside)
                             : QStringLiteral("it was not read."));
    }
    const QSettings Store(File, QSettings::IniFormat);
    if (Store.status() != QSettings::NoError)
        return {};
    OpenFolder = ReadFolder(Store, kOpenFolder);
    SaveFolder = ReadFolder(Store, kSaveFolder);

    // Width and height only as a pair: one without the other is not a chosen size.
    int32_t W = 0, H = 0;
    if (ReadInteger(Store, kWidth, 1, kMaxSide, W) && ReadInteger(Store, kHeight, 1, kMaxSide, H)) {
        Width = W;
        Height = H;
        SizeChosen = true;
    }
    const QString Lock = Store.value(QLatin1String(kConstrain)).toString();
    if (Lock == QLatin1String("true") || Lock == QLatin1String("false"))
        Constrain = Lock == QLatin1String("true");

    const QString ModeName = Store.value(QLatin1String(kMode)).toString();
    for (int I = 0; I < 3; ++I)
        if (ModeName == QLatin1String(kModeNames[I]))
            Mode = static_cast<TThumbMode>(I);
    ReadInteger(Store, kPieces, 1, kMaxPieces, Pieces);
    return {};
}

QString TConfigManager::Save(const QString& File) const {
    // Written where a link points (dotfile managers keep the real file elsewhere): the new
    // content goes into a temporary file beside the target, renamed over it.
    const QFileInfo Info(File);
    const QString Target = Info.isSymLink() ? Info.symLinkTarget() : File;
    QDir().mkpath(QFileInfo(Target).path());
    QSettings Store(Target, QSettings::IniFormat);
    Store.setValue(QLatin1String(kOpenFolder), OpenFolder);
    Store.setValue(QLatin1String(kSaveFolder), SaveFolder);
    if (SizeChosen) {
        Store.setValue(QLatin1String(kWidth), Width);
        Store.setValue(QLatin1String(kHeight), Height);
    } else {
        Store.remove(QLatin1String(kWidth));
        Store.remove(QLatin1String(kHeight));
    }
    Store.setValue(QLatin1String(kConstrain), Constrain);
    Store.setValue(QLatin1String(kMode), QLatin1String(kModeNames[static_cast<int>(Mode)]));
    Store.setValue(QLatin1String(kPieces), Pieces);
    Store.sync();
    if (Store.status() != QSettings::NoError || !QFileInfo(Target).isFile())
        return QStringLiteral("The settings cannot be saved to %1.").arg(File);
    return {};
}
