#include "gui/widgets/humanskin.h"
#include "helpers.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

TEST(HumanSkin, KnownByNameOnly) {
    EXPECT_FALSE(SkinStyleSheet(QString::fromLatin1(kHumanSkin)).isEmpty());
    EXPECT_TRUE(SkinStyleSheet(QStringLiteral("human")).isEmpty());
    EXPECT_TRUE(SkinStyleSheet(QString()).isEmpty());

    QWidget Root;
    SelectSkin(&Root, QStringLiteral("Nonesuch"));
    EXPECT_TRUE(Root.styleSheet().isEmpty());
}

// The skin reaches widgets below Root, including ones added after it was selected: a
// button's face is warm (more red than blue) with rounded corners, a ticked check box
// shows its amber mark.
TEST(HumanSkin, ReachesEveryWidgetBelowTheRoot) {
    QWidget Root;
    auto* Layout = new QVBoxLayout(&Root);
    auto* Before = new QPushButton(QStringLiteral("Before"));
    Layout->addWidget(Before);
    SelectSkin(&Root, kHumanSkin);
    auto* After = new QPushButton(QStringLiteral("After"));
    auto* Check = new QCheckBox(QStringLiteral("Checked"));
    Check->setChecked(true);
    auto* Radio = new QRadioButton(QStringLiteral("Radio"));
    Radio->setChecked(true);
    for (QWidget* W : std::initializer_list<QWidget*>{After, Check, Radio})
        Layout->addWidget(W);
    Root.resize(200, 160);
    Root.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Root));
    SavePicture(&Root, QStringLiteral("skin"));

    for (QPushButton* Button : {Before, After}) {
        const QImage Face = Button->grab().toImage();
        const QColor Bottom = Face.pixelColor(Face.width() / 2, Face.height() - 4);
        EXPECT_GT(Bottom.red(), Bottom.blue() + 10) << qPrintable(Button->text());
        const QColor Corner = Face.pixelColor(0, 0);
        const QColor Edge = Face.pixelColor(Face.width() / 2, 0);
        EXPECT_NE(Corner, Edge) << "rounded corner";
    }
    for (QWidget* Indicator : std::initializer_list<QWidget*>{Check, Radio}) {
        const QImage Picture = Indicator->grab().toImage();
        bool Amber = false;
        for (int Y = 0; Y < Picture.height(); ++Y)
            for (int X = 0; X < qMin(20, Picture.width()); ++X) {
                const QColor P = Picture.pixelColor(X, Y);
                Amber = Amber || (P.red() > 170 && P.green() > 90 && P.green() < 150 && P.blue() < 90);
            }
        EXPECT_TRUE(Amber) << qPrintable(Indicator->objectName());
    }
}
