// Playback speed: plays 1080p videos through the play manager and the video panel
// (offscreen) and prints the achieved rate of shown frames against the file's own rate,
// and the CPU time per shown frame.
//
//   bench_play VIDEO...
#include "engine/qtdispatcher.h"
#include "gui/widgets/videopanel.h"
#include "playback/playManager.h"

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_utime.tv_sec + Usage.ru_stime.tv_sec + (Usage.ru_utime.tv_usec + Usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    TQtDispatcher Dispatcher;
    TSDLPanel Panel(nullptr);
    Panel.setGeometry(0, 0, 395, 193); // the main window's video area
    Panel.show();
    Panel.InitVideo();
    TPlayManager Manager(Panel);

    for (int I = 1; I < argc; ++I) {
        Manager.OpenFile(argv[I]);
        const double FileRate = Manager.FPS();
        const int64_t Frames = static_cast<int64_t>(Manager.Duration() * FileRate + 0.5);
        double RateSum = 0;
        int Windows = 0;
        bool Ended = false;
        Manager.OnPosition = [&](int64_t) {
            if (Manager.FPS() > 0 && Manager.Playing() && !Ended) {
                RateSum += Manager.FPS();
                ++Windows;
            }
        };
        Manager.OnPlayEnd = [&] { Ended = true; };
        const double CpuStart = CpuSeconds();
        const auto Start = std::chrono::steady_clock::now();
        Manager.Play();
        if (!QTest::qWaitFor([&] { return Ended; }, 600000)) {
            std::fprintf(stderr, "%s: playback did not end\n", argv[I]);
            return 1;
        }
        const double Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
        const double Cpu = CpuSeconds() - CpuStart;
        Manager.Stop();

        const double Achieved = Windows ? RateSum / Windows : 0;
        std::printf("%s: %dx%d at %.2f frames/s, %lld frames in %.2f s\n", argv[I], Manager.Width(),
                    Manager.Height(), FileRate, static_cast<long long>(Frames), Wall);
        std::printf("  achieved rate (mean of %d one-second windows): %.2f frames/s\n", Windows, Achieved);
        std::printf("  ratio achieved / file rate:                     %.3f\n", Achieved / FileRate);
        std::printf("  CPU time per shown frame:                       %.2f ms (%.0f%% of one core)\n",
                    Cpu * 1000 / Frames, Cpu / Wall * 100);
    }
    return 0;
}
