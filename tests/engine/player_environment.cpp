// One QApplication for the whole run of the player tests (the video panel is a widget).
// It is made when the tests start, not when the binary is loaded, so listing the tests
// needs no display.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApp = new QApplication(FArgc, FArgv);
    }
    void TearDown() override {
        delete FApp;
        FApp = nullptr;
    }

private:
    int FArgc = 1;
    char FName[12] = "test_player";
    char* FArgv[2] = {FName, nullptr};
    QApplication* FApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
