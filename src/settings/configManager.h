// The settings holder: the thumbnail size that generation uses and whether the size
// dialog starts with its proportion lock ticked, and what the window remembers between
// runs: the folder of the last opened video, the save folder, the mode and the piece
// count. The main window controller owns the one instance, loads it at start, hands it
// to the size dialog, copies it into each generation job and stores it whenever one of
// its values changes. Its users read and write the fields directly.
//
// The store is an INI file read through QSettings. A value that is missing, cannot be
// read or makes no sense (a negative size, a folder that no longer exists, a mode of
// another name) keeps its default: a damaged file never stops the program.
#pragma once

#include <QString>

#include <cstdint>

// What GENERATE takes: every frame, evenly spaced pieces, or the marked range.
enum class TThumbMode { Whole, Pieces, Range };

class TConfigManager {
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
    TThumbMode Mode = TThumbMode::Whole;
    int32_t Pieces = 12;

    // The largest settings file that is read: ours holds a few hundred bytes.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    // Reads the values stored in File over the defaults, value by value. A file larger
    // than kMaxFileBytes is not read but set aside as FILE.too-large; then the answer is
    // a message for the user, else it is empty.
    QString Load(const QString& File);
    // Writes every value to File, creating its folder. A link at File stays a link: its
    // target's content is replaced. Empty, or why the values could not be stored (the
    // program works on without remembering).
    QString Save(const QString& File) const;
};
