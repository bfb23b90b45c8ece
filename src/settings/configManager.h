// The settings holder: the thumbnail size that generation uses and whether the size
// dialog starts with its proportion lock ticked, and what the window remembers between
// runs: the folder of the last opened video, the save folder, the mode, the piece count and
// the contact sheet's grid and width. The main window controller owns the one instance,
// loads it at start, hands its values to the size and sheet dialogs, copies it into each
// generation job and stores it whenever one of its values changes. Its users read and write
// the fields directly.
//
// The store is an INI file read through QSettings. A value that is missing, cannot be
// read or makes no sense (a negative size, a folder that no longer exists, a mode of
// another name, a sheet wider than a sheet may be) keeps its default: a damaged file never
// stops the program.
#pragma once

#include "jobs/jobrequest.h"
#include "jobs/sheetlayout.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>

class QSettings;

// The contact sheet's grid and the width of the whole picture in pixels.
struct TSheetSettings {
    int32_t Columns = kDefaultSheetColumns;
    int32_t Rows = kDefaultSheetRows;
    int32_t Width = kDefaultSheetWidth;
    // Each tile the clearest frame near its instant rather than the first one there.
    bool PreferClear = false;
};

class TConfigManager {
    Q_DECLARE_TR_FUNCTIONS(TConfigManager)

public:
    TConfigManager() = default;

    // The size entries take five digits.
    static constexpr int32_t kMaxSide = 99999;
    // The pieces entry takes eight.
    static constexpr int32_t kMaxPieces = 99999999;

    int32_t Width = 400;
    int32_t Height = 225;
    bool Constrain = true;
    // Whether Width and Height were chosen in the size dialog (now or in an earlier run).
    // Until then each opened video sets them from its own size.
    bool SizeChosen = false;

    // Empty: none yet (the open dialog starts in the working folder, the thumbnails go
    // to the default save folder).
    QString OpenFolder;
    QString SaveFolder;
    // The save folder the file remembers when it is no longer there (SaveFolder then keeps
    // its default), for the window to say so; empty otherwise. Set by Load.
    QString MissingSaveFolder;
    TThumbMode Mode = TThumbMode::Whole;
    int32_t Pieces = 12;
    TSheetSettings Sheet;

    // The largest settings file that is read: ours holds a few hundred bytes.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    // Reads the values stored in File over the defaults, value by value. A file larger
    // than kMaxFileBytes is not read but set aside as FILE.too-large, and one that cannot be
    // read as FILE.unreadable (so that the next Save writes a clean file in its place); then
    // the answer is a message for the user, else it is empty.
    //
    // EarlierFile: where earlier versions kept the sheet's values on their own (see
    // EarlierSettingsFile). When File holds no sheet values, they are taken from there, and
    // the next successful Save removes that file (and its folder, once empty): the values
    // then live in File, and nothing reads the old file again. A file holding anything
    // besides the sheet's values, or reached through a link, is read but left alone.
    QString Load(const QString& File, const QString& EarlierFile = QString());
    // Writes every value to File, creating its folder. A link at File stays a link: its
    // target's content is replaced. A file there that cannot be read is replaced by a clean
    // one, nothing of it carried along. Empty, or why the values could not be stored (the
    // program works on without remembering).
    QString Save(const QString& File);

private:
    // The values of Store, each over its default where it is there and makes sense.
    void LoadFrom(const QSettings& Store);

    // The earlier sheet file the sheet's values were taken from, to be removed once they
    // are saved; empty when there is none or it stays.
    QString FTakenOver;
};
