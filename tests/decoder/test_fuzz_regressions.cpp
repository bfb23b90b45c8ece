// Replays every input the fuzzer once crashed on (fuzz/regressions/) through
// libdecoder.so as the fuzz target does: open, read, seek everywhere, read again. Each
// must end without a crash (under scripts/sanitize.sh, without a sanitizer report), and
// the library must open and read a good video right after it.
#include "exercise.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

namespace {

std::vector<std::string> Regressions() {
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(FUZZ_REGRESSIONS_DIR))
        if (Entry.is_regular_file() && Entry.path().filename().string()[0] != '.')
            Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

template <class T> T Resolve(void* Library, const char* Name) {
    void* Address = dlsym(Library, Name);
    if (!Address)
        throw std::runtime_error(std::string("libdecoder.so lacks ") + Name);
    return reinterpret_cast<T>(Address);
}

TDecoderEntryPoints LoadLibrary() {
    // Never unloaded: the library keeps one open video for the whole process.
    static void* Library = dlopen(TEST_BINDIR "/libdecoder.so", RTLD_NOW);
    if (!Library)
        throw std::runtime_error(dlerror());
    return {Resolve<TOpenFileProc>(Library, "openFile"),         Resolve<TGetFileInfoProc>(Library, "getFileInfo"),
            Resolve<TGetFrameInfoProc>(Library, "getFrameInfo"), Resolve<TGetFrameProc>(Library, "getFrame"),
            Resolve<TGetNextFrameProc>(Library, "getNextFrame"), Resolve<TSeekProc>(Library, "seek")};
}

} // namespace

class FuzzRegression : public testing::TestWithParam<std::string> {};

TEST_P(FuzzRegression, EndsCleanlyAndTheNextVideoReads) {
    const TDecoderEntryPoints Api = LoadLibrary();
    ExerciseDecoder(Api, (std::string(FUZZ_REGRESSIONS_DIR) + "/" + GetParam()).c_str());

    ASSERT_EQ(Api.OpenFile(Fixture("ntsc_2997.mp4").c_str(), 0, 0), 0);
    EXPECT_EQ(Api.GetFileInfo()->Width, 320);
    ASSERT_EQ(Api.Seek(5), 0);
    ASSERT_NE(Api.GetNextFrame(), nullptr);
    EXPECT_EQ(Api.GetFrameInfo()->Timestamp, 5);
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegression, testing::ValuesIn(Regressions()),
                         [](const testing::TestParamInfo<std::string>& Info) { return TestNameOf(Info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzRegression);
