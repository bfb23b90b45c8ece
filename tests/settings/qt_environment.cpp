// One QApplication for the whole test run, with the program's font substitution. It is made when the tests
// start, not when the binary is loaded, so listing the tests needs no display.
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
        // As the program does at start: the dialogs ask for a font Debian does not ship.
        QFont::insertSubstitution(QStringLiteral("Trebuchet MS"), QStringLiteral("Open Sans"));
    }
    void TearDown() override {
        delete FApp;
        FApp = nullptr;
    }

private:
    int FArgc = 1;
    char FName[14] = "test_settings";
    char* FArgv[2] = {FName, nullptr};
    QApplication* FApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
