// One QApplication for the whole test run, set up as the program sets itself up: the
// forms ask for "Trebuchet MS", which Debian does not ship, so it stands for "Open Sans".
// Made when the tests start, not when the binary is loaded, so listing needs no display.
#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApp = new QApplication(FArgc, FArgv);
        QFont::insertSubstitution(QStringLiteral("Trebuchet MS"), QStringLiteral("Open Sans"));
    }
    void TearDown() override {
        delete FApp;
        FApp = nullptr;
    }

private:
    int FArgc = 1;
    char FName[6] = "tests";
    char* FArgv[2] = {FName, nullptr};
    QApplication* FApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
