#include "application.h"

#include "platform/appinfo.h"

#include <QMessageBox>

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& E) {
        ShowException(QString::fromUtf8(E.what()));
    } catch (...) {
        ShowException(tr("Unknown error"));
    }
    return false;
}

void TApplication::ShowException(const QString& Message) {
    QMessageBox Box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), Message, QMessageBox::Ok,
                    activeWindow());
    Box.exec();
}
