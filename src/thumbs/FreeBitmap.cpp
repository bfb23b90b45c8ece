#include "FreeBitmap.h"

#include "FastDIB.h"

#include <FreeImage.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

static_assert(kFitUnknown == FIT_UNKNOWN && kFitBitmap == FIT_BITMAP && kFifUnknown == FIF_UNKNOWN);
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

bool TFreeBitmap::SaveChecked(const std::string& FileName, int Flags, std::string& Error) const {
    const FREE_IMAGE_FORMAT Format = FreeImage_GetFIFFromFilename(FileName.c_str());
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
    const auto Fail = [&](int Code) {
        Error = "Cannot write " + FileName + ": " + std::strerror(Code);
        return false;
    };
    const int Fd = open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Fd < 0) {
        const int Code = errno;
        FreeImage_CloseMemory(Memory);
        return Fail(Code);
    }
    int Code = 0;
    for (DWORD Done = 0; Done < Size && !Code;) {
        const ssize_t Written = write(Fd, Data + Done, Size - Done);
        if (Written > 0)
            Done += static_cast<DWORD>(Written);
        else if (Written < 0 && errno != EINTR)
            Code = errno;
        else if (Written == 0)
            Code = EIO;
    }
    if (close(Fd) != 0 && !Code)
        Code = errno;
    FreeImage_CloseMemory(Memory);
    if (Code) {
        unlink(FileName.c_str());
        return Fail(Code);
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
