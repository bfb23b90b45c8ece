// A label that acts as a link: it shows the hand cursor and raises OnClick when the left
// button is pressed and released over it. An underlined font is drawn with its line under
// the letters' lowest point, so that an underscore in a path stays visible. The completion and about dialogs
// use it for the output folder, the web address and the support mail address; the dialog decides what a click
// opens.
#pragma once

#include <QLabel>

#include <functional>
#include <string>

// Opens Url through the desktop, and says so in a message box over Owner when nothing could
// open it: the dialogs' links and the window's help items.
void OpenLink(QWidget* Owner, const std::string& Url);

class TLinkLabel : public QLabel {
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit TLinkLabel(QWidget* Parent = nullptr);

    TNotifyEvent OnClick;

protected:
    void changeEvent(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    bool FPressed = false;
    // The font asked for an underline, which this label draws itself.
    bool FUnderline = false;
};
