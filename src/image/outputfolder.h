// TOutputFolder is the one way the generation jobs and trovelle-thumbs reach a folder they
// write into. The folder is opened once, and every file in it is made, renamed, listed and
// removed relative to that handle, so a link planted under the folder's name, or a folder
// swapped in while a job runs, cannot send files or removals anywhere else. The thumbnail
// job, the sheet job and --clean all go through it.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TOutputFolder {
public:
    enum class TOpen {
        Make,    // made first when missing
        Existing // when missing, the object stands for an empty folder
    };

    // The video's folder Name inside Parent. Parent is the folder the user chose and is
    // followed like any path; Name itself never is: a link (or anything but a folder) in
    // its place is refused with an Exception that names it.
    TOutputFolder(const std::string& Parent, const std::string& Name, TOpen How);
    // Folder itself, the folder the user chose (links followed), which must exist.
    explicit TOutputFolder(const std::string& Folder);
    ~TOutputFolder();
    TOutputFolder(const TOutputFolder&) = delete;
    TOutputFolder& operator=(const TOutputFolder&) = delete;

    // The folder's path, for messages; no file is reached through it.
    const std::string& Path() const { return FPath; }
    bool Exists() const { return FFd >= 0; }
    // The folder's handle, for the claims of names in it.
    int Fd() const { return FFd; }

    // Writes Data as the file Name without ever opening Name itself: into a new hidden
    // file .NAME.PID-N.part, made exclusively and never through a link, then renamed over
    // Name. A good file of that name stays whole until the new one is, a link of that name
    // is replaced rather than followed, and a failed write leaves nothing behind. 0 or the
    // errno.
    int WriteFile(const std::string& Name, const void* Data, std::size_t Size) const;
    // Writes Data into the file Name itself, made when missing and else cut to nothing first,
    // never through a link: for the one caller that holds Name open and reads that very file
    // (a file manager's thumbnailer). A failed write may leave a part. 0 or the errno.
    int WriteInPlace(const std::string& Name, const void* Data, std::size_t Size) const;
    // Makes the file Name holding Data, exclusively and never through a link: 0, EEXIST
    // when anything of that name is there already, or the errno.
    int CreateFile(const std::string& Name, const void* Data, std::size_t Size) const;
    // The names (without folder) of the files for which Wanted holds, sorted.
    std::vector<std::string> List(const std::function<bool(const std::string&)>& Wanted) const;
    // 0 or the errno.
    int Remove(const std::string& Name) const;
    // Removes the hidden temporary files WriteFile makes whose process has ended (a run
    // killed while writing); answers how many went.
    int RemoveStaleParts() const;
    // Puts what was written here on disk. One syncfs for the whole job: on a batch of
    // 1 000 thumbnails it costs a tenth of a second where an fdatasync per file costs
    // seconds. Throws an Exception naming the folder when the disk reports a failure.
    void Sync() const;

private:
    std::string FPath;
    int FFd = -1;
};

// The folder of the file FileName, opened as the user names it (links followed), and the
// file's own name. Throws an Exception "Cannot write FILENAME: reason" when the folder
// cannot be opened.
std::unique_ptr<TOutputFolder> FolderOf(const std::string& FileName, std::string& Name);

// Whether Name is one of WriteFile's temporary files, and which process made it.
bool IsTemporaryPart(const std::string& Name, long& Pid);
