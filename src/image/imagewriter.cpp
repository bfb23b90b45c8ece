#include "imagewriter.h"

#include "imagebuffer.h"
#include "outputfolder.h"
#include "platform/platform.h"

#include <FreeImage.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool TFreeBitmap::SaveChecked(const TOutputFolder& Folder, const std::string& Name, int Flags,
                              std::string& Error, int Chosen, bool InPlace) const {
    const std::string FileName = IncludeTrailingSlash(Folder.Path()) + Name;
    const FREE_IMAGE_FORMAT Format = Chosen == kFifUnknown ? FreeImage_GetFIFFromFilename(Name.c_str())
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
    const int Code = InPlace ? Folder.WriteInPlace(Name, Data, Size) : Folder.WriteFile(Name, Data, Size);
    FreeImage_CloseMemory(Memory);
    if (Code) {
        Error = "Cannot write " + FileName + ": " + std::strerror(Code);
        return false;
    }
    return true;
}

bool TFreeBitmap::SaveChecked(const std::string& FileName, int Flags, std::string& Error, int Format,
                              bool InPlace) const {
    try {
        std::string Name;
        const std::unique_ptr<TOutputFolder> Folder = FolderOf(FileName, Name);
        return SaveChecked(*Folder, Name, Flags, Error, Format, InPlace);
    } catch (const std::exception& E) {
        Error = E.what();
        return false;
    }
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

bool CopyTopDownTo24(const std::uint8_t* Bits, int Width, int Height, std::ptrdiff_t Stride,
                     TFreeBitmap& Writer) {
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
