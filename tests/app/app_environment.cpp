// One application for the whole test run, set up as the program sets itself up: its general
// error report, workers' reports reaching the main thread as posted events, and "Open Sans"
// standing for the "Trebuchet MS" the forms ask for. Made when the tests start, not when the
// binary is loaded, so listing needs no display.
#include "engine/qtdispatcher.h"
#include "gui/application.h"

#include <QFont>

#include <gtest/gtest.h>

namespace {

class TAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApp = new TApplication(FArgc, FArgv);
        QFont::insertSubstitution(QStringLiteral("Trebuchet MS"), QStringLiteral("Open Sans"));
        FDispatcher = new TQtDispatcher;
    }
    void TearDown() override {
        delete FDispatcher;
        delete FApp;
    }

private:
    int FArgc = 1;
    char FName[6] = "tests";
    char* FArgv[2] = {FName, nullptr};
    TApplication* FApp = nullptr;
    TQtDispatcher* FDispatcher = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TAppEnvironment);

} // namespace
