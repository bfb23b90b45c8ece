// TApplication is Trovelle's QApplication: its general error report shows any exception
// that escapes an event handler in a message box with the exception's text and the
// caption "Trovelle", and the program goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
    Q_DECLARE_TR_FUNCTIONS(TApplication)

public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* Receiver, QEvent* Event) override;

    // The general error report: a message box owned by the active window.
    static void ShowException(const QString& Message);
};
