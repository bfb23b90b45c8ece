// TsplashDlg: the borderless picture shown in the middle of the desktop while the program
// starts. The program's entry shows it, keeps it up for at least a second while the main
// window is built, then frees it. It has no behaviour of its own.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;

class TsplashDlg : public QWidget {
public:
    static constexpr int kClientWidth = 561;
    static constexpr int kClientHeight = 309;

    explicit TsplashDlg(QWidget* Parent = nullptr);

    QFrame* Shape1 = nullptr; // light grey frame round the whole window
    QLabel* Image1 = nullptr; // the product picture
};
