#include "imagebuffer.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace {

constexpr int kScreenBpp = 32;

struct TStride {
    std::int64_t BWidth;
    std::int64_t Gap;
};

// Every row is padded to a whole number of 32-bit words. Worked in 64 bits so that a silly width
// cannot overflow before the size check.
TStride StrideFor(std::int64_t Width, int Bpp) {
    switch (Bpp) {
    case 1: {
        const std::int64_t W8 = (Width + 7) / 8 * 8;
        const std::int64_t BWidth = (W8 + 31) / 32 * 4;
        return {BWidth, BWidth - W8 / 8};
    }
    case 4: {
        const std::int64_t W4 = (4 * Width + 7) / 8 * 8;
        const std::int64_t BWidth = (W4 + 31) / 32 * 4;
        return {BWidth, BWidth - W4 / 8};
    }
    case 8:
    case 16:
    case 24: {
        const std::int64_t BWidth = (Bpp * Width + 31) / 32 * 4;
        return {BWidth, BWidth - Bpp / 8 * Width};
    }
    case 32:
        return {4 * Width, 0};
    default:
        throw std::invalid_argument("Unsupported bitmap depth: " + std::to_string(Bpp));
    }
}

// Low Bits bits set; 32 or more gives all 32 bits.
std::uint32_t LowMask(int Bits) {
    return Bits >= 32 ? 0xFFFFFFFFu : static_cast<std::uint32_t>((std::uint64_t{1} << Bits) - 1);
}

} // namespace

TFastDIB::TFastDIB() {
    std::memset(&FInfo, 0, sizeof(FInfo));
    FInfo.bmiHeader.biSize = sizeof(TBitmapInfoHeader);
    FInfo.bmiHeader.biPlanes = 1;
}

TFastDIB::~TFastDIB() = default;

void TFastDIB::SetSize(int Width, int Height, int Bpp) {
    SetSizeEx(nullptr, Width, Height, Bpp, 0, 0, 0);
}

void TFastDIB::SetSizeEx(void* Bits, int Width, int Height, int Bpp, int RSize, int GSize, int BSize) {
    if (Width < 0)
        throw std::invalid_argument("Negative bitmap width: " + std::to_string(Width));
    if (Bpp == 0)
        Bpp = kScreenBpp;

    std::uint8_t RSz = static_cast<std::uint8_t>(RSize);
    std::uint8_t GSz = static_cast<std::uint8_t>(GSize);
    std::uint8_t BSz = static_cast<std::uint8_t>(BSize);
    std::uint32_t Compression = BI_BITFIELDS;
    if (RSz == 0 && GSz == 0 && BSz == 0) {
        Compression = BI_RGB;
        if (Bpp == 16)
            RSz = GSz = BSz = 5;
        else if (Bpp == 32)
            RSz = GSz = BSz = 8;
    }

    if (!Bits && FFreeBits && Width == this->Width() && Height == this->Height() && Bpp == this->Bpp() &&
        RSz == FRSz && GSz == FGSz && BSz == FBSz)
        return;

    // Everything is worked out and allocated before the first field changes, so that a failure
    // leaves the buffer exactly as it was, its row table still pointing into its own memory.
    const TStride Stride = StrideFor(Width, Bpp);
    const std::int64_t AbsHeight = Height < 0 ? -std::int64_t{Height} : std::int64_t{Height};
    const std::int64_t Size = AbsHeight * Stride.BWidth;
    if (Stride.BWidth > INT_MAX || Size > INT_MAX)
        throw std::bad_alloc();

    TBitmapInfo Info = FInfo;
    Info.bmiHeader.biWidth = Width;
    Info.bmiHeader.biHeight = Height;
    Info.bmiHeader.biBitCount = static_cast<std::uint16_t>(Bpp);
    Info.bmiHeader.biCompression = Compression;
    Info.bmiHeader.biSizeImage = static_cast<std::uint32_t>(Size);
    if (Bpp == 16 || Bpp == 32) {
        const std::uint32_t BlueMask = LowMask(BSz);
        const std::uint32_t GreenMask = LowMask(BSz + GSz) & ~BlueMask;
        const std::uint32_t RedMask = LowMask(BSz + GSz + RSz) & ~(BlueMask | GreenMask);
        Info.bmiColors[0] = RedMask;
        Info.bmiColors[1] = GreenMask;
        Info.bmiColors[2] = BlueMask;
    }

    std::unique_ptr<std::uint8_t[]> OwnBits;
    std::uint8_t* NewBits = static_cast<std::uint8_t*>(Bits);
    if (!Bits && Size > 0) {
        OwnBits = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(Size));
        NewBits = OwnBits.get();
    }
    std::vector<std::uint8_t*> Scanlines(static_cast<std::size_t>(AbsHeight));
    for (std::size_t i = 0; i < Scanlines.size(); ++i)
        Scanlines[i] = Stride.BWidth == 0 ? NewBits : NewBits + i * static_cast<std::size_t>(Stride.BWidth);

    FInfo = Info;
    FBWidth = static_cast<int>(Stride.BWidth);
    FGap = static_cast<int>(Stride.Gap);
    FAbsHeight = static_cast<int>(AbsHeight);
    FRSz = RSz;
    FGSz = GSz;
    FBSz = BSz;
    FOwnBits = std::move(OwnBits); // outside memory replaces our own: ours is released, theirs never
    FBits = NewBits;
    FFreeBits = Bits == nullptr;
    FScanlines = std::move(Scanlines);
}

void FlipVertical(TFastDIB& Image) {
    const int RowBytes = Image.BWidth() - Image.Gap();
    if (Image.AbsHeight() < 2 || RowBytes <= 0)
        return;
    std::vector<std::uint8_t> Temp(static_cast<std::size_t>(RowBytes));
    std::uint8_t* Top = Image.Scanlines()[0];
    std::uint8_t* Bottom = Image.Scanlines()[Image.AbsHeight() - 1];
    // The middle row of an odd count stays where it is.
    while (Top < Bottom) {
        std::memcpy(Temp.data(), Top, RowBytes);
        std::memcpy(Top, Bottom, RowBytes);
        std::memcpy(Bottom, Temp.data(), RowBytes);
        Top += Image.BWidth();
        Bottom -= Image.BWidth();
    }
}

void MoveLongs(const void* Source, void* Dest, int Count) {
    if (Count <= 0 || Source == Dest)
        return;
    std::memmove(Dest, Source, static_cast<std::size_t>(Count) * 4);
}
