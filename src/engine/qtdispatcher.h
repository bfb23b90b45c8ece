// TQtDispatcher wakes the GUI's main thread for the hand-offs of TThread workers: it posts an event to
// itself, and the Qt event loop then serves the queue on the main thread. The application creates one
// on the main thread, after the QApplication, and keeps it for the life of the program; it installs
// itself on creation and uninstalls itself on destruction.
#pragma once

#include "thread.h"

#include <QObject>

class TQtDispatcher : public QObject, public TMainThreadDispatcher {
public:
    explicit TQtDispatcher(QObject* Parent = nullptr);
    ~TQtDispatcher() override;

    void WakeMainThread() override;

protected:
    void customEvent(QEvent* Event) override;
};
