// The link label's underline: drawn under the letters' lowest point, so that an underscore in
// a path is not lost in it.
#include "gui/widgets/linkLabel.h"
#include "helpers.h"

#include <QFont>

#include <gtest/gtest.h>

namespace {

// The rows of Label's picture that hold any of its text colour, as runs of adjacent rows.
std::vector<std::pair<int, int>> InkRuns(TLinkLabel& Label) {
    const QImage Shot = Label.grab().toImage();
    std::vector<std::pair<int, int>> Runs;
    for (int Y = 0; Y < Shot.height(); ++Y) {
        bool Ink = false;
        for (int X = 0; X < Shot.width() && !Ink; ++X)
            Ink = qGray(Pixel(Shot, X, Y)) < 128;
        if (!Ink)
            continue;
        if (!Runs.empty() && Runs.back().second == Y - 1)
            Runs.back().second = Y;
        else
            Runs.emplace_back(Y, Y);
    }
    return Runs;
}

} // namespace

// A text of underscores alone, underlined: the underscores and the line below them are two
// strokes with white between them, at each size; without the underline, the one stroke.
TEST(LinkLabel, TheUnderlineLeavesUnderscoresVisible) {
    for (const int Pixels : {12, 16, 20}) {
        SCOPED_TRACE(Pixels);
        TLinkLabel Label;
        QPalette Colours = Label.palette();
        Colours.setColor(QPalette::Window, Qt::white);
        Colours.setColor(QPalette::WindowText, Qt::black);
        Label.setPalette(Colours);
        Label.setAutoFillBackground(true);
        QFont Font = Label.font();
        Font.setPixelSize(Pixels);
        Label.setFont(Font);
        Label.setText(QStringLiteral("____"));
        Label.resize(200, Pixels * 2);
        EXPECT_EQ(InkRuns(Label).size(), 1u) << "the underscores alone";
        Font.setUnderline(true);
        Label.setFont(Font);
        EXPECT_EQ(InkRuns(Label).size(), 2u) << "the underscores and the line";
    }
}
