#include "FreeBitmap.h"

#include "FastDIB.h"

#include <FreeImage.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

static_assert(kFitUnknown == FIT_UNKNOWN && kFitBitmap == FIT_BITMAP && kFifUnknown == FIF_UNKNOWN &&
              kFifPng == FIF_PNG);
// The 32-bit bytes of a TFastDIB (blue, green, red, fourth) are copied without reordering.
static_assert(FI_RGBA_BLUE == 0 && FI_RGBA_GREEN == 1 && FI_RGBA_RED == 2);

// The shared library on Linux registers its plugins when it is loaded, so FreeImage_Initialise is
// not called here.

TFreeBitmap::TFreeBitmap(int ImageType, int Width, int Height, int Bpp) {
    if (Width > 0 && Height > 0 && Bpp > 0)
        SetSize(ImageType, Width, Height, Bpp);
}

TFreeBitmap::~TFreeBitmap() {
    if (FDib)
        FreeImage_Unload(FDib);
}

void TFreeBitmap::Clear() {
    if (FDib) {
        FreeImage_Unload(FDib);
        FDib = nullptr;
        Change();
    }
}

bool TFreeBitmap::SetSize(int /*ImageType*/, int Width, int Height, int Bpp, unsigned RedMask,
                          unsigned GreenMask, unsigned BlueMask) {
    if (FDib) {
        FreeImage_Unload(FDib);
        FDib = nullptr;
    }
    // Always the standard bitmap type: the writer only ever holds pictures.
    FDib = FreeImage_Allocate(Width, Height, Bpp, RedMask, GreenMask, BlueMask);
    if (!FDib)
        return false;
    Change();
    return true;
}

bool TFreeBitmap::Changing(FIBITMAP* OldDib, FIBITMAP* NewDib) {
    bool Handled = false;
    if (OldDib != NewDib && OnChanging)
        OnChanging(this, OldDib, NewDib, Handled);
    return Handled;
}

bool TFreeBitmap::Replace(FIBITMAP* NewDib) {
    if (!NewDib)
        return false;
    if (!Changing(FDib, NewDib) && IsValid() && FDib != NewDib)
        FreeImage_Unload(FDib);
    FDib = NewDib;
    Change();
    return true;
}

void TFreeBitmap::Change() {
    if (OnChange)
        OnChange(this);
}

bool TFreeBitmap::ConvertTo24Bits() {
    if (!FDib)
        return false;
    return Replace(FreeImage_ConvertTo24Bits(FDib));
}

bool TFreeBitmap::CanSave(int Format) const {
    if (!IsValid() || Format == FIF_UNKNOWN)
        return false;
    const auto Fif = static_cast<FREE_IMAGE_FORMAT>(Format);
    const FREE_IMAGE_TYPE Type = FreeImage_GetImageType(FDib);
    if (Type == FIT_BITMAP)
        return FreeImage_FIFSupportsWriting(Fif) &&
               FreeImage_FIFSupportsExportBPP(Fif, static_cast<int>(FreeImage_GetBPP(FDib)));
    return FreeImage_FIFSupportsExportType(Fif, Type);
}

bool TFreeBitmap::Save(const std::string& FileName, int Flags) const {
    const FREE_IMAGE_FORMAT Format = FreeImage_GetFIFFromFilename(FileName.c_str());
    if (!CanSave(Format))
        return false;
    return FreeImage_Save(Format, FDib, FileName.c_str(), Flags);
}

namespace {

// Bytes of the final name kept in the temporary one, so that it stays a valid name.
constexpr size_t kTemporaryNameStem = 200;
constexpr int kTemporaryNameTries = 100;

// errno of the first failing write, or 0 when all Size bytes were written.
int WriteAll(int Fd, const BYTE* Data, DWORD Size) {
    for (DWORD Done = 0; Done < Size;) {
        const ssize_t Written = write(Fd, Data + Done, Size - Done);
        if (Written > 0)
            Done += static_cast<DWORD>(Written);
        else if (Written == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Writes Data as FileName without ever opening FileName itself: into a new hidden file
// in the same folder, made exclusively and never through a link planted under its name,
// then renamed over FileName. A good file of that name stays whole until the new one is,
// a link of that name is replaced rather than followed, and a write that fails or a run
// killed meanwhile leaves no half file under the name. Answers 0 or the errno.
int WriteFileSafely(const std::string& FileName, const BYTE* Data, DWORD Size) {
    static std::atomic<unsigned> Counter{0};
    const size_t Slash = FileName.find_last_of('/');
    const std::string Dir = Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
    const std::string Base = FileName.substr(Slash == std::string::npos ? 0 : Slash + 1);
    std::string Temporary;
    int Fd = -1;
    for (int Try = 0; Fd < 0 && Try < kTemporaryNameTries; ++Try) {
        Temporary = Dir + "." + Base.substr(0, kTemporaryNameStem) + "." + std::to_string(getpid()) + "-" +
                    std::to_string(Counter++) + ".part";
        Fd = open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (Fd < 0 && errno != EEXIST)
            return errno;
    }
    if (Fd < 0)
        return EEXIST;
    int Code = WriteAll(Fd, Data, Size);
    if (close(Fd) != 0 && !Code)
        Code = errno;
    if (!Code && rename(Temporary.c_str(), FileName.c_str()) != 0)
        Code = errno;
    if (Code)
        unlink(Temporary.c_str());
    return Code;
}

} // namespace

bool TFreeBitmap::SaveChecked(const std::string& FileName, int Flags, std::string& Error, int Chosen) const {
    const FREE_IMAGE_FORMAT Format = Chosen == kFifUnknown ? FreeImage_GetFIFFromFilename(FileName.c_str())
                                                           : static_cast<FREE_IMAGE_FORMAT>(Chosen);
    if (!CanSave(Format)) {
        Error = "Cannot write " + FileName + ": the image cannot be saved in this format";
        return false;
    }
    FIMEMORY* Memory = FreeImage_OpenMemory(nullptr, 0);
    BYTE* Data = nullptr;
    DWORD Size = 0;
    const bool Encoded = Memory && FreeImage_SaveToMemory(Format, FDib, Memory, Flags) &&
                         FreeImage_AcquireMemory(Memory, &Data, &Size);
    if (!Encoded) {
        FreeImage_CloseMemory(Memory);
        Error = "Cannot write " + FileName + ": the image could not be encoded";
        return false;
    }
    const int Code = WriteFileSafely(FileName, Data, Size);
    FreeImage_CloseMemory(Memory);
    if (Code) {
        Error = "Cannot write " + FileName + ": " + std::strerror(Code);
        return false;
    }
    return true;
}

int SaveFlags(const std::string& FileName, int Quality) {
    const FREE_IMAGE_FORMAT Format = FreeImage_GetFIFFromFilename(FileName.c_str());
    return Format == FIF_JPEG || Format == FIF_WEBP ? Quality : 0;
}

void CopyToWriter(const TFastDIB& Image, TFreeBitmap& Writer) {
    if (!Image.Bits())
        return;
    Writer.SetSize(kFitUnknown, Image.Width(), Image.Height(), Image.Bpp());
    FIBITMAP* Dib = Writer.Dib();
    if (!Dib)
        return;
    // Both sides pad rows to 32 bits, so the layouts agree and one block move does it. Should they
    // ever differ, only the bytes that both rows hold are copied, row by row.
    BYTE* Target = FreeImage_GetBits(Dib);
    const unsigned Pitch = FreeImage_GetPitch(Dib);
    const int Rows = std::min<int>(Image.AbsHeight(), static_cast<int>(FreeImage_GetHeight(Dib)));
    if (Pitch == static_cast<unsigned>(Image.BWidth())) {
        MoveLongs(Image.Bits(), Target, Rows * Image.BWidth() / 4);
    } else {
        const std::size_t RowBytes = std::min<std::size_t>(Pitch, static_cast<std::size_t>(Image.BWidth()));
        for (int i = 0; i < Rows; ++i)
            std::memcpy(Target + static_cast<std::size_t>(i) * Pitch, Image.Scanlines()[i], RowBytes);
    }
}

bool CopyTopDownTo24(const std::uint8_t* Bits, int Width, int Height, std::ptrdiff_t Stride, TFreeBitmap& Writer) {
    FIBITMAP* Dib = Writer.Dib();
    if (!Dib || FreeImage_GetWidth(Dib) != static_cast<unsigned>(Width) ||
        FreeImage_GetHeight(Dib) != static_cast<unsigned>(Height) || FreeImage_GetBPP(Dib) != 24) {
        if (!Writer.SetSize(kFitBitmap, Width, Height, 24))
            return false;
        Dib = Writer.Dib();
    }
    for (int Row = 0; Row < Height; ++Row) {
        const std::uint8_t* From = Bits + Stride * Row;
        BYTE* To = FreeImage_GetScanLine(Dib, Height - 1 - Row);
        for (int X = 0; X < Width; ++X, From += 4, To += 3) {
            To[0] = From[0];
            To[1] = From[1];
            To[2] = From[2];
        }
    }
    return true;
}
