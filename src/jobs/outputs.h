// Everything about what the jobs write and what it is called, for the jobs, the window and
// the command line alike: the save folder, the video's name and the name a video's outputs
// claim in a save folder, the folder of its thumbnails and their file names, the sheet's
// file, the formats, and the clock text the sheets and the console show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TOutputFolder;
struct TConvertRec;
struct TSheetRec;

// The output formats, as the extension of the files.
extern const std::vector<std::string> kFormats;
// Whether Format is one of kFormats.
bool IsOutputFormat(const std::string& Format);
// Refuses a quality or a file type the writer is not asked for, before any work is done
// (Exception).
void CheckOutputChoice(const std::string& Format, int32_t Quality);

// Folder when one was chosen, else the default save folder. Raises Exception when there is
// none (no home folder), so that nothing goes to a folder nobody chose.
std::string SaveFolderOrDefault(const std::string& Folder);

// The video's name as its thumbnails and their folder carry it: the file name without
// folder and extension ("video" where that leaves only dots, or nothing).
std::string VideoName(const std::string& Path);

// The name of thumbnail Ordinal of a job: "<Name>_<ordinal>.<Format>", or with NamesByTime
// "<Name>_HH-MM-SS.mmm.<Format>" for a frame at Microseconds, and "<Name>_HH-MM-SS.mmm-<Repeat>
// .<Format>" for the Repeat-th different frame of the job within that millisecond.
std::string ThumbnailFileName(const TConvertRec& Rec, int64_t Ordinal, int64_t Microseconds = 0,
                              int32_t Repeat = 1);
// The folder a thumbnail job of Rec writes into: the save folder (or the default one) and
// the video's claimed name.
std::string ThumbnailFolder(const TConvertRec& Rec);
// The file a sheet of Rec is written to; raises Exception when Rec names no folder and
// there is no default save folder.
std::string SheetFileName(const TSheetRec& Rec);

// What a video's outputs are called in a save folder: Base ("clip"), or Base-2, Base-3, ...
// where another video holds the name. A name is held by a small hidden mark naming its
// video (path, size and time of change): inside the video's folder for thumbnails, beside
// the sheet for a contact sheet. The mark is made exclusively, so that runs at the same
// time never take one name for two videos, and the same video run again finds its name:
// the same path is the same video, whatever its size or time of change became.
//
// A run holds the name it claimed for its job's length by a lock on the mark; a run of the
// same video meanwhile takes the next free name. The lock belongs to the open mark, so the
// system lets go of it when the run ends in any way, a crash included.
class TNameHold {
public:
    TNameHold() = default;
    explicit TNameHold(int Fd) : FFd(Fd) {}
    TNameHold(TNameHold&& Other) noexcept;
    TNameHold& operator=(TNameHold&& Other) noexcept;
    ~TNameHold();
    TNameHold(const TNameHold&) = delete;
    TNameHold& operator=(const TNameHold&) = delete;

    bool Held() const { return FFd >= 0; }
    // Lets another run of the video have the name again.
    void Release();

private:
    int FFd = -1;
};

struct TClaimedName {
    std::string Name;
    // Thumbnails of an earlier run without a mark were found there and taken over.
    bool TookOver = false;
    // The name the video's outputs already have, held by another run of the same video at
    // the same time ("" when there was none): Name is the next free one instead.
    std::string Busy;
    // The mark named the video's path with another size or time of change: the outputs
    // under Name are being replaced (the mark now says what the video is).
    bool Changed = false;
    // Kept for as long as the job writes under Name.
    TNameHold Hold;
};

enum class TOutputKind {
    Thumbnails, // the folder SaveFolder/NAME (made when missing)
    Sheet       // the file SaveFolder/NAME_sheet.EXT
};

// Claims the name for Video's outputs of Kind in SaveFolder (which must exist) and holds it
// until the answer's Hold goes. Raises Exception naming the folder when it cannot be read
// or written.
TClaimedName ClaimOutputName(const std::string& SaveFolder, const std::string& Base, const std::string& Video,
                             TOutputKind Kind);

// The file a single frame of the video Name at Microseconds is saved as, in its thumbnails'
// folder: "<Name>_at_H-MM-SS.mmm.png", lossless.
std::string FrameFileName(const std::string& Name, int64_t Microseconds);

// Whether FileName (without folder) is a thumbnail of Name: Name, "_", digits or a frame's
// time (with its "-N" where frames share a millisecond), ".", and one of the formats the tool
// writes.
bool IsThumbnailOf(const std::string& FileName, const std::string& Name);
// The thumbnails of Name in Folder (names without folder); none when Folder does not exist.
std::vector<std::string> ThumbnailsOf(const TOutputFolder& Folder, const std::string& Name);
// Makes Folder with its parents; "" when it exists afterwards, else the system's reason.
std::string MakeFolders(const std::string& Folder);

// A length of time as a clock shows it: "M:SS" below an hour, else "H:MM:SS" (negative
// times read as 0).
std::string ClockText(int64_t Seconds);
// The same to the tenth of a second below, for Microseconds: "M:SS.t" or "H:MM:SS.t".
std::string ClockTextTenths(int64_t Microseconds);
