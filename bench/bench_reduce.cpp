// The library's reduced pictures (setFrameSize): its own reduction in the picture's planes
// against the two swscale passes it replaces (area to 4:4:4, then to 0x00RRGGBB), on the same
// decoded pictures in the same process, in milliseconds of the thread's processor time per
// picture, as the median of several rounds; the ratio is swscale's time / ours (above 1: ours
// is faster).
//
// "fresh": each picture converted by both right after it is decoded, as the library converts
// it, the two taking turns at going first. "stored": pictures decoded earlier, converted again
// and again, too many to stay in the cache. The time to read a fresh picture's planes once is
// printed too, as the floor.
//
//   bench_reduce VIDEO [WIDTHxHEIGHT...]      (default 400x225 160x90 76x43)
#include "frame_converter.h"
#include "video_reader.h"

#include <algorithm>
#include <ctime>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace {

constexpr int kFresh = 60;  // pictures per fresh round
constexpr int kStored = 24; // pictures kept for the stored rounds
constexpr int kRounds = 5;

// The thread's own processor time: what the other programs on a busy machine take does not count.
struct TClock {
    using time_point = double;
    static double now() {
        timespec T{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
        return static_cast<double>(T.tv_sec) * 1e3 + static_cast<double>(T.tv_nsec) * 1e-6;
    }
};

double Milliseconds(double Since) {
    return TClock::now() - Since;
}

double Median(std::vector<double> V) {
    std::sort(V.begin(), V.end());
    return V[V.size() / 2];
}

struct TPair {
    double Ours, Theirs, Read;
};

// Reads every byte of the picture's planes once: the least any reduction of it costs.
uint64_t ReadPlanes(const AVFrame* Frame) {
    const AVPixFmtDescriptor* D = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(Frame->format));
    uint64_t Sum = 0;
    for (int P = 0; P < 3 && Frame->data[P]; ++P) {
        const int Rows = P ? AV_CEIL_RSHIFT(Frame->height, D->log2_chroma_h) : Frame->height;
        const int Bytes = P ? AV_CEIL_RSHIFT(Frame->width, D->log2_chroma_w) : Frame->width;
        for (int Y = 0; Y < Rows; ++Y) {
            const uint8_t* Row = Frame->data[P] + static_cast<ptrdiff_t>(Y) * Frame->linesize[P];
            int X = 0;
#ifdef __SSE2__
            __m128i Sums = _mm_setzero_si128();
            for (; X + 16 <= Bytes; X += 16)
                Sums = _mm_add_epi64(Sums,
                                     _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + X)),
                                                  _mm_setzero_si128()));
            Sum += static_cast<uint64_t>(_mm_cvtsi128_si64(Sums)) +
                   static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(Sums, Sums)));
#endif
            for (; X < Bytes; ++X)
                Sum += Row[X];
        }
    }
    return Sum;
}

uint64_t Sink = 0;

// One fresh round: decodes kFresh pictures from the start, each converted by both.
TPair FreshRound(TVideoReader& Reader, TFrameConverter& Ours, TFrameConverter& Theirs,
                 std::vector<uint32_t>& Out) {
    Reader.Seek(0);
    TPair Total{0, 0, 0};
    int Count = 0;
    for (; Count < kFresh; ++Count) {
        const AVFrame* Frame = Reader.NextFrame();
        if (!Frame)
            break;
        // The first to read a picture finds it where the decoder left it; each takes turns.
        for (int Turn = 0; Turn < 3; ++Turn) {
            const int Who = (Turn + Count) % 3;
            const auto Start = TClock::now();
            if (Who == 2)
                Sink += ReadPlanes(Frame);
            else
                (Who == 0 ? Ours : Theirs).Convert(Frame, Out.data());
            (Who == 0 ? Total.Ours : Who == 1 ? Total.Theirs : Total.Read) += Milliseconds(Start);
        }
    }
    return {Total.Ours / Count, Total.Theirs / Count, Total.Read / Count};
}

double StoredRound(TFrameConverter& Converter, const std::vector<AVFrame*>& Pictures,
                   std::vector<uint32_t>& Out) {
    const auto Start = TClock::now();
    for (const AVFrame* Picture : Pictures)
        Converter.Convert(Picture, Out.data());
    return Milliseconds(Start) / static_cast<double>(Pictures.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s VIDEO [WIDTHxHEIGHT...]\n", argv[0]);
        return 2;
    }
    TVideoReader Reader(argv[1]);
    std::vector<AVFrame*> Pictures;
    while (Pictures.size() < kStored) {
        const AVFrame* Frame = Reader.NextFrame();
        if (!Frame)
            break;
        Pictures.push_back(av_frame_clone(Frame));
    }
    if (Pictures.empty()) {
        std::fprintf(stderr, "no picture in %s\n", argv[1]);
        return 1;
    }
    std::vector<std::string> Sizes;
    for (int I = 2; I < argc; ++I)
        Sizes.emplace_back(argv[I]);
    if (Sizes.empty())
        Sizes = {"400x225", "160x90", "76x43"};

    const AVFrame& First = *Pictures.front();
    std::printf("-- %dx%d %s, median of %d rounds, ms per picture\n", First.width, First.height,
                av_get_pix_fmt_name(static_cast<AVPixelFormat>(First.format)), kRounds);
    for (const std::string& Size : Sizes) {
        int Width = 0, Height = 0;
        if (std::sscanf(Size.c_str(), "%dx%d", &Width, &Height) != 2 || Width <= 0 || Height <= 0) {
            std::fprintf(stderr, "WIDTHxHEIGHT: %s\n", Size.c_str());
            return 2;
        }
        TFrameConverter Ours(true), Theirs(false);
        for (TFrameConverter* C : {&Ours, &Theirs})
            C->Setup(Reader.StoredWidth(), Reader.StoredHeight(), 0, Width, Height);
        std::vector<uint32_t> Out(Ours.BufferWords());
        std::vector<double> FO, FT, FR, SO, ST;
        for (int R = 0; R < kRounds; ++R) {
            const TPair Fresh = FreshRound(Reader, Ours, Theirs, Out);
            FO.push_back(Fresh.Ours);
            FT.push_back(Fresh.Theirs);
            FR.push_back(Fresh.Read);
            SO.push_back(StoredRound(Ours, Pictures, Out));
            ST.push_back(StoredRound(Theirs, Pictures, Out));
        }
        const auto Line = [&](const char* Name, const std::vector<double>& O, const std::vector<double>& T) {
            const double MO = Median(O), MT = Median(T);
            std::printf("  to %-9s %-6s ours %6.3f  swscale %6.3f  ratio %5.2f\n", Size.c_str(), Name, MO, MT,
                        MT / MO);
        };
        Line("fresh", FO, FT);
        std::printf("  %-12s reading the planes once: %6.3f\n", "", Median(FR));
        Line("stored", SO, ST);
    }
    for (AVFrame*& Picture : Pictures)
        av_frame_free(&Picture);
    return 0;
}
