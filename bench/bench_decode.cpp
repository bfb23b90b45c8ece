// Decoding speed of libdecoder.so (through the program's own binding, including the
// conversion to 0x00RRGGBB) against ffmpeg's decode-only rate on the same file in the
// same run.
//
//   bench_decode VIDEO
#include "engine/decoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point Since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Since).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s VIDEO\n", argv[0]);
        return 2;
    }
    const std::string Path = argv[1];

    // Three rounds each, taking turns, and the best of each: the machine's noise only
    // ever slows a run down.
    constexpr int kRounds = 3;
    TDecoder Decoder;
    long Frames = 0;
    double Ours = 1e30, Theirs = 1e30;
    const std::string Command = "ffmpeg -nostdin -v error -threads 0 -i '" + Path + "' -an -f null -";
    for (int Round = 0; Round < kRounds; ++Round) {
        auto Start = std::chrono::steady_clock::now();
        Decoder.Open(Path);
        Frames = 0;
        while (Decoder.NextFrame())
            ++Frames;
        Ours = std::min(Ours, Seconds(Start));

        Start = std::chrono::steady_clock::now();
        if (std::system(Command.c_str()) != 0) {
            std::fprintf(stderr, "ffmpeg failed\n");
            return 1;
        }
        Theirs = std::min(Theirs, Seconds(Start));
    }

    const double OurRate = Frames / Ours, TheirRate = Frames / Theirs;
    std::printf("decode %dx%d, %ld frames\n", Decoder.FileInfo()->Width, Decoder.FileInfo()->Height, Frames);
    std::printf("  libdecoder (with conversion to 32-bit): %8.1f frames/s\n", OurRate);
    std::printf("  ffmpeg -f null (decode only):           %8.1f frames/s\n", TheirRate);
    std::printf("  ratio libdecoder / ffmpeg:              %8.2f\n", OurRate / TheirRate);
    return 0;
}
