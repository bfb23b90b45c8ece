// What the settings tests share: running a dialog's modal loop with the test's steps
// posted into it, catching the links a dialog hands to the desktop, and saving pictures
// of the dialogs for a person to look at.
#pragma once

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& Text, std::ostream* Out) {
    *Out << '"' << Text.toStdString() << '"';
}

// Runs Dialog->exec() with Steps posted into its loop. A guard ends a loop the steps
// failed to end, so a broken dialog fails the test instead of hanging it; the result says
// whether the steps (and not the guard) ended the loop.
inline bool RunModal(QDialog* Dialog, const std::function<void()>& Steps) {
    bool Guarded = false;
    QTimer::singleShot(0, Dialog, Steps);
    QTimer Guard;
    Guard.setSingleShot(true);
    QObject::connect(&Guard, &QTimer::timeout, Dialog, [&] {
        Guarded = true;
        Dialog->done(QDialog::Rejected);
    });
    Guard.start(20000);
    Dialog->exec();
    return !Guarded;
}

// Takes over the desktop's handling of the link schemes the dialogs use, so a test sees
// the links instead of starting a browser, mail program or file browser.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    TUrlCatcher() {
        for (const char* Scheme : {"file", "mailto", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(Scheme), this, "Open");
    }
    ~TUrlCatcher() override {
        for (const char* Scheme : {"file", "mailto", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(Scheme));
    }

    QList<QUrl> Urls;

public slots:
    void Open(const QUrl& Url) { Urls << Url; }
};

// Saves a picture of Widget as <build>/bin/settings-pictures/<Name>.png.
inline QImage SavePicture(QWidget* Widget, const QString& Name) {
    const QString Folder = QStringLiteral(TEST_BINDIR "/settings-pictures");
    QDir().mkpath(Folder);
    QImage Picture = Widget->grab().toImage();
    Picture.save(Folder + QLatin1Char('/') + Name + QStringLiteral(".png"));
    return Picture;
}
