// TFastDIB is the in-memory image of the thumbnail pipeline: a bitmap header, pixel memory and a
// table of row addresses. The convert thread keeps two of them (a frame-sized one that receives each
// decoded frame and a thumbnail-sized one it is scaled into); the video panel and the image writer copy
// whole images with MoveLongs. The pipeline only ever uses 32 bits per pixel (bytes blue, green, red,
// and a fourth byte that is carried along but never interpreted); the other depths keep the stride and
// header rules so that the header always describes the memory correctly.
//
// Pixel memory is always plain memory of the buffer itself, or memory handed in from outside through
// SetSizeEx. There is no drawing context: nothing in the program draws through one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// The 40-byte bitmap information header, laid out as image files and image libraries expect it.
struct TBitmapInfoHeader {
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight; // negative: the first row in memory is the top of the picture
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};
static_assert(sizeof(TBitmapInfoHeader) == 40);

// The header followed by a 256-entry colour table. At 16 and 32 bits per pixel the first three
// entries hold the red, green and blue channel masks.
struct TBitmapInfo {
    TBitmapInfoHeader bmiHeader;
    std::uint32_t bmiColors[256];
};

inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

class TFastDIB {
public:
    TFastDIB();
    ~TFastDIB();
    TFastDIB(const TFastDIB&) = delete;
    TFastDIB& operator=(const TFastDIB&) = delete;

    // Sizes the buffer with memory of its own and the default channel layout. Calling it again with
    // the same arguments keeps the memory and its content, so a job may size its buffer every time.
    void SetSize(int Width, int Height, int Bpp);

    // Bits: outside pixel memory that the buffer uses but never frees, or nullptr for memory of its
    // own. Bpp 1, 4, 8, 16, 24 or 32; 0 means the screen's depth, which is 32 here. The channel sizes
    // are only meaningful at 16 and 32 bits; all three 0 means the default layout.
    // A failed allocation throws std::bad_alloc (also for images beyond 2 GB) and leaves the buffer
    // as it was; a negative width or an unknown depth throws std::invalid_argument.
    void SetSizeEx(void* Bits, int Width, int Height, int Bpp, int RSize, int GSize, int BSize);

    int Width() const { return FInfo.bmiHeader.biWidth; }
    int Height() const { return FInfo.bmiHeader.biHeight; }
    int AbsHeight() const { return FAbsHeight; }
    int Bpp() const { return FInfo.bmiHeader.biBitCount; }
    int BWidth() const { return FBWidth; }
    int Gap() const { return FGap; }
    int Size() const { return static_cast<int>(FInfo.bmiHeader.biSizeImage); }
    std::uint8_t BSz() const { return FBSz; }
    std::uint8_t GSz() const { return FGSz; }
    std::uint8_t RSz() const { return FRSz; }
    const TBitmapInfo& Info() const { return FInfo; }

    std::uint8_t* Bits() const { return FBits; }
    // AbsHeight() row addresses: row i starts at Bits() + i * BWidth().
    std::uint8_t* const* Scanlines() const { return FScanlines.data(); }

private:
    TBitmapInfo FInfo;
    int FBWidth = 0;
    int FAbsHeight = 0;
    int FGap = 0;
    std::uint8_t* FBits = nullptr;
    std::uint8_t FBSz = 0;
    std::uint8_t FGSz = 0;
    std::uint8_t FRSz = 0;
    std::vector<std::uint8_t*> FScanlines;
    std::unique_ptr<std::uint8_t[]> FOwnBits; // set exactly when FFreeBits and the size is not 0
    bool FFreeBits = false;
};

// Reverses the order of the rows in place; only the pixel bytes of a row move, not its padding.
void FlipVertical(TFastDIB& Image);

// Copies Count 32-bit words from Source to Dest; nothing when Count is not positive or the two
// addresses are the same. Overlapping blocks are copied as if through a temporary.
void MoveLongs(const void* Source, void* Dest, int Count);
