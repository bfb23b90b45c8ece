#include "sheetlayout.h"

#include "engine/exceptions.h"
#include "engine/rounding.h"
#include "outputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

// The gap is this fraction of the sheet's width, and never less than kMinGap pixels.
constexpr int32_t kGapDivisor = 200;
constexpr int32_t kMinGap = 2;
// Narrower tiles would show nothing recognisable, and the time would not fit on them.
constexpr int32_t kMinTileWidth = 32;
// JPEG cannot hold a taller picture.
constexpr int32_t kMaxSheetHeight = 65500;

// Frame counts come from products of a duration and a rate that are often whole numbers in
// theory but not quite in floating point; a frame at exactly the target time belongs to it.
constexpr long double kFrameEpsilon = 1e-6L;

// Brightness samples across and down a frame, and the spread of brightness (standard
// deviation on 0..255) below which a frame counts as blank. Fades and plain title cards stay
// well under it; even a dark scene with a lit window is far above.
constexpr int32_t kBlankSamples = 48;
constexpr double kBlankDeviation = 10.0;

// Display aspects people know by name, as width:height, found within kAspectTolerance.
constexpr int kNamedAspects[][2] = {{1, 1}, {5, 4}, {4, 3}, {3, 2}, {16, 10}, {16, 9}, {2, 1}, {21, 9}};
constexpr double kAspectTolerance = 0.01;

const char* const kSeparator = "  \u00b7  ";

std::string FormatFileSize(int64_t Bytes) {
    static const char* const Units[] = {"KB", "MB", "GB", "TB"};
    if (Bytes < 1000)
        return std::to_string(Bytes) + " bytes";
    double Value = static_cast<double>(Bytes);
    int Unit = -1;
    while (Value >= 1000 && Unit < 3) {
        Value /= 1000;
        ++Unit;
    }
    char Text[32];
    std::snprintf(Text, sizeof Text, Value < 100 ? "%.1f %s" : "%.0f %s", Value, Units[Unit]);
    return Text;
}

std::string FormatAspect(double AspectRatio) {
    for (const auto& Named : kNamedAspects) {
        for (const bool Portrait : {false, true}) {
            const int W = Portrait ? Named[1] : Named[0];
            const int H = Portrait ? Named[0] : Named[1];
            if (std::fabs(AspectRatio * H / W - 1.0) <= kAspectTolerance)
                return std::to_string(W) + ":" + std::to_string(H);
        }
    }
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.2f:1", AspectRatio);
    return Text;
}

std::string FormatRate(double FPS) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.3f", FPS);
    std::string Rate = Text;
    Rate.erase(Rate.find_last_not_of('0') + 1);
    if (Rate.back() == '.')
        Rate.pop_back();
    return Rate + " fps";
}

} // namespace

TWording SheetSizeWording(int32_t Columns, int32_t Rows, int32_t Width) {
    const auto Outside = [](int32_t Count) { return Count < 1 || Count > kMaxSheetSide; };
    if (Outside(Columns))
        return {
            TROVELLE_WORDING("TWording", "The number of columns of a sheet must be from 1 to %1 (it is %2)"),
            {std::to_string(kMaxSheetSide), std::to_string(Columns)}};
    if (Outside(Rows))
        return {TROVELLE_WORDING("TWording", "The number of rows of a sheet must be from 1 to %1 (it is %2)"),
                {std::to_string(kMaxSheetSide), std::to_string(Rows)}};
    if (Width < kMinSheetWidth || Width > kMaxSheetWidth)
        return {TROVELLE_WORDING("TWording", "The width of a sheet must be from %1 to %2 pixels (it is %3)"),
                {std::to_string(kMinSheetWidth), std::to_string(kMaxSheetWidth), std::to_string(Width)}};
    return {};
}

void CheckSheetSize(int32_t Columns, int32_t Rows, int32_t Width) {
    const TWording Fault = SheetSizeWording(Columns, Rows, Width);
    if (!Fault.Empty())
        throw Exception(Fault.Text());
}

int32_t SheetGap(int32_t Width) {
    return std::max(kMinGap, RoundToInt32(static_cast<double>(Width) / kGapDivisor));
}

TSheetLayout LayOutSheet(int32_t Columns, int32_t Rows, int32_t Width, double AspectRatio,
                         int32_t HeaderHeight) {
    CheckSheetSize(Columns, Rows, Width);
    if (!(AspectRatio > 0) || !std::isfinite(AspectRatio))
        throw Exception("The video's display aspect is not valid");
    TSheetLayout L;
    L.Width = Width;
    L.Gap = SheetGap(Width);
    L.TileWidth = (Width - (Columns + 1) * L.Gap) / Columns;
    if (L.TileWidth < kMinTileWidth)
        throw Exception("A sheet " + std::to_string(Width) + " pixels wide is too narrow for " +
                        std::to_string(Columns) + " columns");
    L.TileHeight = std::max(1, HeightForWidth(L.TileWidth, AspectRatio));
    const int64_t Height =
        static_cast<int64_t>(HeaderHeight) + static_cast<int64_t>(Rows) * (L.TileHeight + L.Gap);
    if (Height > kMaxSheetHeight)
        throw Exception("A sheet of " + std::to_string(Rows) + " rows of this video would be " +
                        std::to_string(Height) + " pixels high; fewer rows or a smaller width will do");
    L.Height = static_cast<int32_t>(Height);
    L.Header = {L.Gap, 0, Width - 2 * L.Gap, HeaderHeight};
    const int32_t Left = L.Gap + (Width - (Columns + 1) * L.Gap - Columns * L.TileWidth) / 2;
    for (int32_t R = 0; R < Rows; ++R)
        for (int32_t C = 0; C < Columns; ++C)
            L.Tiles.push_back({Left + C * (L.TileWidth + L.Gap), HeaderHeight + R * (L.TileHeight + L.Gap),
                               L.TileWidth, L.TileHeight});
    return L;
}

TTileFrame TileFrame(int32_t I, int32_t N, int64_t Duration, double FPS) {
    constexpr long double kMicrosecondsPerSecond = 1e6L;
    // The time in seconds as the exact fraction Duration (2I + 1) / 2N until it meets the rate.
    const long double Numerator =
        static_cast<long double>(Duration) * (2 * static_cast<int64_t>(I) + 1) / kMicrosecondsPerSecond;
    const long double Denominator = 2.0L * N;
    const long double Rate = FPS;
    TTileFrame T;
    T.Frame = static_cast<int64_t>(std::ceil(Numerator * Rate / Denominator - kFrameEpsilon));
    // Seeks take 32-bit seconds; a damaged length may promise more.
    T.SeekSecond = static_cast<int32_t>(
        std::min<long double>(std::floor(Numerator / Denominator), std::numeric_limits<int32_t>::max()));
    T.ReadOn = std::max<int64_t>(0, T.Frame - FirstFrameAt(T.SeekSecond, FPS));
    T.LookAhead = static_cast<int64_t>(std::floor(
        static_cast<long double>(Duration) / kMicrosecondsPerSecond * Rate / Denominator + kFrameEpsilon));
    // In 128 bits: a long video's microseconds times 2N would not fit in 64.
    T.Microseconds = static_cast<int64_t>(static_cast<__int128>(Duration) * (2 * int64_t{I} + 1) / (2 * int64_t{N}));
    return T;
}

int64_t FirstFrameAt(int32_t Second, double FPS) {
    return static_cast<int64_t>(std::ceil(static_cast<long double>(Second) * FPS - kFrameEpsilon));
}

int64_t FrameSecond(int64_t Index, double FPS) {
    return static_cast<int64_t>(std::floor(static_cast<long double>(Index) / FPS + kFrameEpsilon));
}

std::string SheetInfoLine(int64_t FileSize, int64_t Duration, int32_t FrameWidth, int32_t FrameHeight,
                          double AspectRatio, double FPS) {
    constexpr int64_t kMinute = 60000000;
    std::string Line;
    if (FileSize >= 0)
        Line = FormatFileSize(FileSize) + kSeparator;
    Line += (Duration < kMinute ? ClockTextTenths(Duration) : ClockText(Duration / 1000000)) + kSeparator;
    Line += std::to_string(FrameWidth) + " \u00d7 " + std::to_string(FrameHeight) + kSeparator;
    Line += FormatAspect(AspectRatio) + kSeparator;
    return Line + FormatRate(FPS);
}

bool IsBlankFrame(const uint32_t* Pixels, int32_t Width, int32_t Height) {
    if (Width <= 0 || Height <= 0)
        return true;
    double Sum = 0, SumOfSquares = 0;
    int Count = 0;
    for (int32_t Row = 0; Row < kBlankSamples; ++Row) {
        const int64_t Y = (2 * static_cast<int64_t>(Row) + 1) * Height / (2 * kBlankSamples);
        const uint32_t* Line = Pixels + Y * Width;
        for (int32_t Column = 0; Column < kBlankSamples; ++Column) {
            const uint32_t P = Line[(2 * static_cast<int64_t>(Column) + 1) * Width / (2 * kBlankSamples)];
            // Rec. 601 luma weights in 8-bit fixed point.
            const double Luma = (77 * ((P >> 16) & 0xFF) + 150 * ((P >> 8) & 0xFF) + 29 * (P & 0xFF)) / 256.0;
            Sum += Luma;
            SumOfSquares += Luma * Luma;
            ++Count;
        }
    }
    const double Mean = Sum / Count;
    const double Variance = std::max(0.0, SumOfSquares / Count - Mean * Mean);
    return Variance < kBlankDeviation * kBlankDeviation;
}

double Clearness(const uint32_t* Pixels, int32_t Width, int32_t Height) {
    if (Width < 3 || Height < 3 || IsBlankFrame(Pixels, Width, Height))
        return 0;
    // Brightness once per pixel (Rec. 601 weights in 8-bit fixed point), three rows at a time.
    std::vector<int32_t> Rows(3 * static_cast<size_t>(Width));
    const auto LumaRow = [&](int32_t Y) {
        int32_t* Row = Rows.data() + static_cast<size_t>(Y % 3) * Width;
        const uint32_t* Line = Pixels + static_cast<int64_t>(Y) * Width;
        for (int32_t X = 0; X < Width; ++X) {
            const uint32_t P = Line[X];
            Row[X] =
                static_cast<int32_t>(77 * ((P >> 16) & 0xFF) + 150 * ((P >> 8) & 0xFF) + 29 * (P & 0xFF)) >>
                8;
        }
    };
    LumaRow(0);
    LumaRow(1);
    int64_t Sum = 0, SumOfSquares = 0;
    for (int32_t Y = 1; Y + 1 < Height; ++Y) {
        LumaRow(Y + 1);
        const int32_t* Up = Rows.data() + static_cast<size_t>((Y - 1) % 3) * Width;
        const int32_t* Mid = Rows.data() + static_cast<size_t>(Y % 3) * Width;
        const int32_t* Down = Rows.data() + static_cast<size_t>((Y + 1) % 3) * Width;
        for (int32_t X = 1; X + 1 < Width; ++X) {
            const int64_t L = 4 * Mid[X] - Mid[X - 1] - Mid[X + 1] - Up[X] - Down[X];
            Sum += L;
            SumOfSquares += L * L;
        }
    }
    const double Count = static_cast<double>(Width - 2) * (Height - 2);
    const double Mean = static_cast<double>(Sum) / Count;
    return std::max(0.0, static_cast<double>(SumOfSquares) / Count - Mean * Mean);
}

int64_t ClearWindow(int64_t Interval, double FPS) {
    constexpr int64_t kLongest = 2000000;
    constexpr double kMostFrames = 12;
    const int64_t Frames = FPS > 0 ? static_cast<int64_t>(kMostFrames * 1e6 / FPS) : kLongest;
    return std::clamp<int64_t>(std::min(Interval / 4, Frames), 0, kLongest);
}
