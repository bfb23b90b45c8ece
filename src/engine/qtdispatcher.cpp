#include "qtdispatcher.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

QEvent::Type ServeEventType() {
    static const auto Type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return Type;
}

} // namespace

TQtDispatcher::TQtDispatcher(QObject* Parent) : QObject(Parent) {
    ServeEventType(); // registered here, on the main thread, not on a worker's first post
    TThread::SetMainThreadDispatcher(this);
}

TQtDispatcher::~TQtDispatcher() {
    TThread::SetMainThreadDispatcher(nullptr);
}

// Runs on a worker with the hand-off lock held. The event is allocated and posted inside that lock
// and served under it, which is what orders the worker's writes before the main thread's reads for
// ThreadSanitizer: Qt's own event-queue locking is invisible to it.
void TQtDispatcher::WakeMainThread() {
    QCoreApplication::postEvent(this, new QEvent(ServeEventType()));
}

// Nothing else posts events to this object, so the event itself is not looked at: it was written by a
// worker, and only the hand-off lock taken in ServeHandOffs orders that write before a read here.
void TQtDispatcher::customEvent(QEvent* /*Event*/) {
    TThread::ServeHandOffs();
}
