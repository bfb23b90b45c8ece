#include "configManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <iterator>

namespace {

constexpr const char* kOpenFolder = "Folders/Open";
constexpr const char* kSaveFolder = "Folders/Save";
constexpr const char* kWidth = "Thumbnail/Width";
constexpr const char* kHeight = "Thumbnail/Height";
constexpr const char* kConstrain = "Thumbnail/Constrain";
constexpr const char* kMode = "Generate/Mode";
constexpr const char* kPieces = "Generate/Pieces";
constexpr const char* kSheetColumns = "Sheet/Columns";
constexpr const char* kSheetRows = "Sheet/Rows";
constexpr const char* kSheetWidth = "Sheet/Width";
constexpr const char* kSheetPreferClear = "Sheet/PreferClear";
constexpr const char* kSheetKeys[] = {kSheetColumns, kSheetRows, kSheetWidth};

constexpr const char* kModeNames[] = {"whole", "pieces", "range"};

// Whether every line of Store could be read. QSettings reads a section only when one of its
// values is asked for, so that a line it cannot read shows only once every section is read.
bool Readable(const QSettings& Store) {
    Store.allKeys();
    return Store.status() == QSettings::NoError;
}

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

// Whether Store holds any of the sheet's values.
bool HoldsSheet(const QSettings& Store) {
    for (const char* Key : kSheetKeys)
        if (Store.contains(QLatin1String(Key)))
            return true;
    return false;
}

// The sheet's values in Store, each within the limits of a sheet or else its default.
TSheetSettings ReadSheet(const QSettings& Store) {
    TSheetSettings Sheet;
    ReadInteger(Store, kSheetColumns, 1, kMaxSheetSide, Sheet.Columns);
    ReadInteger(Store, kSheetRows, 1, kMaxSheetSide, Sheet.Rows);
    ReadInteger(Store, kSheetWidth, kMinSheetWidth, kMaxSheetWidth, Sheet.Width);
    const QString Clear = Store.value(QLatin1String(kSheetPreferClear)).toString();
    if (Clear == QLatin1String("true") || Clear == QLatin1String("false"))
        Sheet.PreferClear = Clear == QLatin1String("true");
    return Sheet;
}

// Whether the earlier sheet file holds nothing but the sheet's values, in a file of its
// own (not a link), so that removing it loses nothing the user keeps there.
bool OnlySheetValues(const QString& File) {
    const QFileInfo Info(File);
    if (!Info.isFile() || Info.isSymLink() || Info.size() > TConfigManager::kMaxFileBytes)
        return false;
    const QSettings Store(File, QSettings::IniFormat);
    if (!Readable(Store))
        return false;
    const QStringList Keys = Store.allKeys();
    return std::all_of(Keys.begin(), Keys.end(), [](const QString& Key) {
        return std::any_of(std::begin(kSheetKeys), std::end(kSheetKeys),
                           [&](const char* Sheet) { return Key == QLatin1String(Sheet); });
    });
}

// Where File leads: the last target of a chain of links, or File itself.
QString LinkTarget(const QString& File) {
    QFileInfo Info(File);
    for (int Hops = 0; Info.isSymLink() && Hops < 40; ++Hops)
        Info.setFile(Info.symLinkTarget());
    return Info.filePath();
}

} // namespace

QString TConfigManager::Load(const QString& File, const QString& EarlierFile) {
    QString Said;
    bool SheetStored = false;
    MissingSaveFolder.clear();
    if (QFileInfo(File).size() > kMaxFileBytes) {
        // Reading it would keep the program from starting for as long as it takes.
        const QString Aside = File + QStringLiteral(".too-large");
        QFile::remove(Aside);
        Said = QFile::rename(File, Aside)
                   ? tr("The settings file %1 is larger than any settings file of Trovelle; it was set aside "
                        "as %2. The default settings are used.")
                         .arg(File, Aside)
                   : tr("The settings file %1 is larger than any settings file of Trovelle and was not read. "
                        "The default settings are used.")
                         .arg(File);
    } else {
        const QSettings Store(File, QSettings::IniFormat);
        if (Readable(Store)) {
            LoadFrom(Store);
            SheetStored = HoldsSheet(Store);
        } else if (QFileInfo(File).isFile()) {
            // Saving over it would carry its bytes along into every later file: it goes
            // aside, once, and the next save writes a clean one (through a link, at the
            // link's target, so that the link stays).
            const QString Target = LinkTarget(File);
            const QString Aside = Target + QStringLiteral(".unreadable");
            QFile::remove(Aside);
            Said =
                QFile::rename(Target, Aside)
                    ? tr("The settings file %1 cannot be read; it was set aside as %2, and a new one takes "
                         "its place. The default settings are used.")
                          .arg(File, Aside)
                    : tr("The settings file %1 cannot be read. The default settings are used.").arg(File);
        }
    }
    // The sheet's values of earlier versions, taken over once: from the next save on they
    // are in File.
    FTakenOver.clear();
    if (!SheetStored && !EarlierFile.isEmpty() && QFileInfo(EarlierFile).isFile() &&
        QFileInfo(EarlierFile).size() <= kMaxFileBytes) {
        const QSettings Earlier(EarlierFile, QSettings::IniFormat);
        if (Readable(Earlier) && HoldsSheet(Earlier)) {
            Sheet = ReadSheet(Earlier);
            if (OnlySheetValues(EarlierFile))
                FTakenOver = EarlierFile;
        }
    }
    return Said;
}

void TConfigManager::LoadFrom(const QSettings& Store) {
    OpenFolder = ReadFolder(Store, kOpenFolder);
    SaveFolder = ReadFolder(Store, kSaveFolder);
    // A folder of the user's choice that has gone (a drive not mounted, a folder removed);
    // not a value that was never a folder's path.
    const QString Remembered = Store.value(QLatin1String(kSaveFolder)).toString();
    if (SaveFolder.isEmpty() && QDir::isAbsolutePath(Remembered))
        MissingSaveFolder = Remembered;

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
    if (HoldsSheet(Store))
        Sheet = ReadSheet(Store);
}

QString TConfigManager::Save(const QString& File) {
    // Written where a link points (dotfile managers keep the real file elsewhere): the new
    // content goes into a temporary file beside the target, renamed over it.
    const QString Target = LinkTarget(File);
    QDir().mkpath(QFileInfo(Target).path());
    {
        // A file that cannot be read would be merged into what is written, and keep the
        // store unreadable: the values are written into a clean one.
        const QSettings Before(Target, QSettings::IniFormat);
        if (!Readable(Before) && QFileInfo(Target).isFile())
            QFile::remove(Target);
    }
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
    Store.setValue(QLatin1String(kSheetColumns), Sheet.Columns);
    Store.setValue(QLatin1String(kSheetRows), Sheet.Rows);
    Store.setValue(QLatin1String(kSheetWidth), Sheet.Width);
    Store.setValue(QLatin1String(kSheetPreferClear), Sheet.PreferClear);
    Store.sync();
    // Only a write that failed is reported: a format error is what QSettings found reading
    // the file before it wrote it.
    if (Store.status() == QSettings::AccessError || !QFileInfo(Target).isFile())
        return tr("The settings cannot be saved to %1.").arg(File);
    // The sheet's values taken over from the earlier file are safe here now: that file goes,
    // and its folder with it when nothing else is left there.
    if (!FTakenOver.isEmpty()) {
        if (OnlySheetValues(FTakenOver) && QFile::remove(FTakenOver))
            QDir().rmdir(QFileInfo(FTakenOver).path());
        FTakenOver.clear();
    }
    return {};
}
