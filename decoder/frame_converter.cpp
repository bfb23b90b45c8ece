#include "frame_converter.h"

#include "av_error.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

// The "J" formats are full-range variants of the plain YUV ones; swscale wants the plain
// format with the range given explicitly.
AVPixelFormat PlainFormat(AVPixelFormat Format, bool& FullRange) {
    switch (Format) {
    case AV_PIX_FMT_YUVJ420P: FullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: FullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: FullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: FullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: FullRange = true; return AV_PIX_FMT_YUV411P;
    default: return Format;
    }
}

// The matrix to use for a frame. Untagged video follows what players do: BT.709 for HD
// sizes, BT.601 for SD.
int MatrixOf(const AVFrame* Frame) {
    // Read as a plain integer: a damaged stream can leave a value outside the enumeration
    // here, and loading that as the enumeration type is undefined.
    static_assert(sizeof(AVColorSpace) == sizeof(int));
    int Space;
    std::memcpy(&Space, &Frame->colorspace, sizeof Space);
    switch (Space) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: return SWS_CS_ITU601;
    default: return (Frame->width >= 1280 || Frame->height > 576) ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

// Whether TPlaneReducer takes pictures of this layout: 8-bit luma and two chroma planes of
// their own, subsampled at most by two either way; no alpha, palette or packed samples.
bool OwnReductionHandles(const AVPixFmtDescriptor& D) {
    if (!(D.flags & AV_PIX_FMT_FLAG_PLANAR) || (D.flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL |
                                                          AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_BE)) ||
        D.nb_components != 3)
        return false;
    for (int I = 0; I < 3; ++I)
        if (D.comp[I].plane != I || D.comp[I].depth != 8 || D.comp[I].step != 1 || D.comp[I].shift != 0 ||
            D.comp[I].offset != 0)
            return false;
    return TPlaneReducer::Handles(D.log2_chroma_w, D.log2_chroma_h);
}

// Turns a Width x Height picture clockwise by 90 (Clockwise) or 270 degrees into Dst,
// which is Height x Width. Works in tiles so that both sides stay in the cache.
void Transpose(const uint32_t* Src, int Width, int Height, uint32_t* Dst, bool Clockwise) {
    constexpr int kTile = 32;
    for (int Y0 = 0; Y0 < Height; Y0 += kTile) {
        const int Y1 = std::min(Y0 + kTile, Height);
        for (int X0 = 0; X0 < Width; X0 += kTile) {
            const int X1 = std::min(X0 + kTile, Width);
            for (int Y = Y0; Y < Y1; ++Y) {
                const uint32_t* Row = Src + static_cast<size_t>(Y) * Width;
                for (int X = X0; X < X1; ++X) {
                    // Clockwise: source (X, Y) goes to column Height-1-Y of row X.
                    // Anticlockwise: to column Y of row Width-1-X.
                    const size_t To = Clockwise
                                          ? static_cast<size_t>(X) * Height + (Height - 1 - Y)
                                          : static_cast<size_t>(Width - 1 - X) * Height + Y;
                    Dst[To] = Row[X];
                }
            }
        }
    }
}

} // namespace

TFrameConverter::~TFrameConverter() {
    sws_freeContext(FContext);
    sws_freeContext(FReduce);
}

void TFrameConverter::Setup(int StoredWidth, int StoredHeight, int Rotation, int Width, int Height) {
    const bool Turned = Rotation % 180 != 0;
    const int ScaledWidth = Width > 0 && Height > 0 ? (Turned ? Height : Width) : StoredWidth;
    const int ScaledHeight = Width > 0 && Height > 0 ? (Turned ? Width : Height) : StoredHeight;
    std::vector<uint32_t> Stored(Rotation ? static_cast<size_t>(ScaledWidth) * ScaledHeight + kOverrunWords : 0);
    FStoredWidth = StoredWidth;
    FStoredHeight = StoredHeight;
    FScaledWidth = ScaledWidth;
    FScaledHeight = ScaledHeight;
    FRotation = Rotation;
    FStored = std::move(Stored);
    // Made anew for the new size with the next picture.
    sws_freeContext(FContext);
    sws_freeContext(FReduce);
    FContext = FReduce = nullptr;
    FReducing = false;
}

void TFrameConverter::PrepareContext(const AVFrame* Frame) {
    bool FullRange = Frame->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat Source = PlainFormat(static_cast<AVPixelFormat>(Frame->format), FullRange);
    const int Matrix = MatrixOf(Frame);
    if ((FContext || FReducing) && Frame->width == FSourceWidth && Frame->height == FSourceHeight &&
        Source == FSourceFormat && Matrix == FColorSpace && int(FullRange) == FFullRange)
        return;

    sws_freeContext(FContext);
    sws_freeContext(FReduce);
    FContext = FReduce = nullptr;
    FReducing = false;
    FSourceFormat = -1; // until a way is set up for this kind of picture
    const AVPixFmtDescriptor* Descriptor = av_pix_fmt_desc_get(Source);
    const bool Asked = FScaledWidth != FStoredWidth || FScaledHeight != FStoredHeight;
    if (Asked && FOwnReduction && Descriptor && OwnReductionHandles(*Descriptor)) {
        FReducer.Setup(Frame->width, Frame->height, Descriptor->log2_chroma_w, Descriptor->log2_chroma_h,
                       FScaledWidth, FScaledHeight);
        FColours = TYuvToRgb::FromTable(sws_getCoefficients(Matrix), FullRange);
        FReducing = true;
        FSourceWidth = Frame->width;
        FSourceHeight = Frame->height;
        FSourceFormat = Source;
        FColorSpace = Matrix;
        FFullRange = FullRange;
        return;
    }
    // Any other picture with a size asked for is reduced in its own planes by swscale first:
    // luma and chroma each filtered over what they leave out (swscale widens its bilinear
    // filter by the reduction), into a small picture with chroma for every pixel; only that
    // one is converted to RGB, so that chroma keeps its place however much one side shrinks.
    const bool Planar = Descriptor && !(Descriptor->flags & AV_PIX_FMT_FLAG_RGB) && Descriptor->nb_components >= 3;
    AVPixelFormat ConvertFrom = Source;
    int ConvertWidth = Frame->width, ConvertHeight = Frame->height;
    if (Asked && Planar) {
        // Deeper samples stay deeper in between: cut to 8 bits there, swscale would dither them.
        const bool Deep = Descriptor->comp[0].depth > 8;
        const AVPixelFormat Between = Deep ? AV_PIX_FMT_YUV444P16 : AV_PIX_FMT_YUV444P;
        FSampleBytes = Deep ? 2 : 1;
        FReduce = sws_getContext(Frame->width, Frame->height, Source, FScaledWidth, FScaledHeight, Between,
                                 SWS_AREA, nullptr, nullptr, nullptr);
        if (!FReduce)
            throw TAvError(std::string("Unsupported picture format ") +
                           (av_get_pix_fmt_name(Source) ? av_get_pix_fmt_name(Source) : "?"));
        // Plane to plane: the values stay in their range.
        const int* Same = sws_getCoefficients(Matrix);
        sws_setColorspaceDetails(FReduce, Same, FullRange, Same, FullRange, 0, 1 << 16, 1 << 16);
        const size_t Plane = static_cast<size_t>(FScaledWidth) * FScaledHeight * FSampleBytes;
        FPlanes.resize(3 * Plane + kOverrunWords * 4);
        ConvertFrom = Between;
        ConvertWidth = FScaledWidth;
        ConvertHeight = FScaledHeight;
    }
    FContext = sws_getContext(ConvertWidth, ConvertHeight, ConvertFrom, FScaledWidth, FScaledHeight,
                              AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!FContext)
        throw TAvError(std::string("Unsupported picture format ") +
                       (av_get_pix_fmt_name(Source) ? av_get_pix_fmt_name(Source) : "?"));
    // Converting into RGB, the destination table is not used; the destination is full range.
    const int* Coefficients = sws_getCoefficients(Matrix);
    sws_setColorspaceDetails(FContext, Coefficients, FullRange, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                             1 << 16, 1 << 16);
    FSourceWidth = Frame->width;
    FSourceHeight = Frame->height;
    FSourceFormat = Source;
    FColorSpace = Matrix;
    FFullRange = FullRange;
}

uint32_t* TFrameConverter::Convert(const AVFrame* Frame, uint32_t* Output) {
    PrepareContext(Frame);
    uint32_t* Target = FRotation ? FStored.data() : Output;
    uint8_t* DstPlanes[4] = {reinterpret_cast<uint8_t*>(Target), nullptr, nullptr, nullptr};
    int DstStrides[4] = {FScaledWidth * 4, 0, 0, 0};
    if (FReducing) {
        const uint8_t* const Planes[3] = {Frame->data[0], Frame->data[1], Frame->data[2]};
        const int Strides[3] = {Frame->linesize[0], Frame->linesize[1], Frame->linesize[2]};
        FReducer.Convert(Planes, Strides, FColours, Target);
    } else if (FReduce) {
        const size_t Plane = static_cast<size_t>(FScaledWidth) * FScaledHeight * FSampleBytes;
        uint8_t* Small[4] = {FPlanes.data(), FPlanes.data() + Plane, FPlanes.data() + 2 * Plane, nullptr};
        const int Stride = FScaledWidth * FSampleBytes;
        int SmallStrides[4] = {Stride, Stride, Stride, 0};
        sws_scale(FReduce, Frame->data, Frame->linesize, 0, Frame->height, Small, SmallStrides);
        sws_scale(FContext, Small, SmallStrides, 0, FScaledHeight, DstPlanes, DstStrides);
    } else {
        sws_scale(FContext, Frame->data, Frame->linesize, 0, Frame->height, DstPlanes, DstStrides);
    }

    switch (FRotation) {
    case 90: Transpose(FStored.data(), FScaledWidth, FScaledHeight, Output, true); break;
    case 270: Transpose(FStored.data(), FScaledWidth, FScaledHeight, Output, false); break;
    case 180:
        std::reverse_copy(FStored.begin(), FStored.begin() + static_cast<std::ptrdiff_t>(FScaledWidth) * FScaledHeight,
                          Output);
        break;
    default: break;
    }
    if (FReducing)
        return Output; // written with the fourth byte 0
    // swscale fills the unused byte with 0xFF; the delivered words are 0x00RRGGBB.
    const size_t Count = static_cast<size_t>(FScaledWidth) * FScaledHeight;
    for (size_t I = 0; I < Count; ++I)
        Output[I] &= 0x00FFFFFF;
    return Output;
}
