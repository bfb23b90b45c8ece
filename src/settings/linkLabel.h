// A label that acts as a link: it shows the hand cursor and raises OnClick when the left
// button is pressed and released over it. The completion and about dialogs use it for the
// output folder, the web address and the support mail address; the dialog decides what a
// click opens.
#pragma once

#include <QLabel>

#include <functional>

class TLinkLabel : public QLabel {
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit TLinkLabel(QWidget* Parent = nullptr);

    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    bool FPressed = false;
};
