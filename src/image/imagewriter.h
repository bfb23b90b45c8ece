// TFreeBitmap wraps one bitmap of the image file library (FreeImage) and is how thumbnails reach the
// disk: the convert thread owns one writer for a whole job and, for every thumbnail, copies its
// finished 32-bit TFastDIB in with CopyToWriter, converts it to 24 bits and saves it as JPEG.
// Failures are answered with false, never thrown; the convert thread does not look at them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct FIBITMAP; // the library's bitmap handle; its header stays out of ours

class TFastDIB;
class TOutputFolder;

// The library's codes that callers of this header need.
inline constexpr int kFitUnknown = 0; // FIT_UNKNOWN
inline constexpr int kFitBitmap = 1;  // FIT_BITMAP, the standard bitmap type
inline constexpr int kFifUnknown = -1;
inline constexpr int kFifPng = 13; // FIF_PNG

// Base of the library wrappers.
class TFreeObject {
public:
    virtual ~TFreeObject() = default;
    virtual bool IsValid() const { return false; }
};

class TFreeBitmap : public TFreeObject {
public:
    using TChangeEvent = std::function<void(TFreeBitmap* Sender)>;
    // Asked before the bitmap is replaced; setting Handled keeps the old bitmap alive, and the handler
    // then owns it.
    using TChangingEvent =
        std::function<void(TFreeBitmap* Sender, FIBITMAP* OldDib, FIBITMAP* NewDib, bool& Handled)>;

    // Empty unless Width, Height and Bpp are all greater than 0.
    explicit TFreeBitmap(int ImageType = kFitBitmap, int Width = 0, int Height = 0, int Bpp = 0);
    ~TFreeBitmap() override;
    TFreeBitmap(const TFreeBitmap&) = delete;
    TFreeBitmap& operator=(const TFreeBitmap&) = delete;

    bool IsValid() const override { return FDib != nullptr; }
    virtual void Clear();

    // Releases the current bitmap and allocates a standard bitmap of the given size and depth
    // (negative Height: the same size). False, and empty, when the library could not allocate one.
    bool SetSize(int ImageType, int Width, int Height, int Bpp, unsigned RedMask = 0, unsigned GreenMask = 0,
                 unsigned BlueMask = 0);
    // Replaces the bitmap by a 24-bit copy; false, and unchanged, when empty or when the library fails.
    bool ConvertTo24Bits();
    // Format: the library's format code (kFifUnknown when it knows none).
    bool CanSave(int Format) const;
    // The format follows from the file name's extension; Flags go to the library's writer (for JPEG
    // the quality, 1 to 100). False, and nothing written, when the bitmap cannot be saved that way.
    bool Save(const std::string& FileName, int Flags = 0) const;
    // Like Save, but nothing goes unnoticed: the image is encoded in memory and written
    // as the file Name of Folder with every system call checked (a full disk shows at
    // write or close, which the library's own file writing does not look at). On failure
    // Error names the file and the system's reason. The file is never written in place
    // (TOutputFolder::WriteFile), so a failed or killed run keeps a good file, and a
    // symbolic link planted under the name is replaced, never followed. Format: the
    // library's format code, or kFifUnknown for the one the name's extension gives.
    // InPlace: written into the file Name itself instead (TOutputFolder::WriteInPlace), only for
    // a caller that holds that file open and reads it.
    bool SaveChecked(const TOutputFolder& Folder, const std::string& Name, int Flags, std::string& Error,
                     int Format = kFifUnknown, bool InPlace = false) const;
    // The same into the folder of FileName, which is opened as the user names it.
    bool SaveChecked(const std::string& FileName, int Flags, std::string& Error, int Format = kFifUnknown,
                     bool InPlace = false) const;

    FIBITMAP* Dib() const { return FDib; }

    TChangeEvent OnChange;
    TChangingEvent OnChanging;

protected:
    virtual bool Changing(FIBITMAP* OldDib, FIBITMAP* NewDib);
    virtual bool Replace(FIBITMAP* NewDib);
    virtual void Change();

private:
    FIBITMAP* FDib = nullptr;
};

// The writer's flags for a file of this name at Quality (1 to 100): the quality for JPEG and
// WebP, the library's default for the lossless formats.
int SaveFlags(const std::string& FileName, int Quality);

// Moves a finished image into Writer as one block: both sides keep the bottom row first and the pixel
// bytes in the order blue, green, red, fourth byte. Nothing happens when Image has no pixel memory.
void CopyToWriter(const TFastDIB& Image, TFreeBitmap& Writer);

// Puts a top-row-first 32-bit picture (bytes blue, green, red, fourth; rows Stride bytes apart)
// into Writer as the 24-bit, bottom-row-first bitmap that JPEG files are written from: turning,
// dropping the fourth byte and copying are one pass. Writer keeps its bitmap when it already has
// this size and depth. False, and Writer empty, when the library could not allocate one.
bool CopyTopDownTo24(const std::uint8_t* Bits, int Width, int Height, std::ptrdiff_t Stride,
                     TFreeBitmap& Writer);
