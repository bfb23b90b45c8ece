#include "gui/dialogs/browseFolder.h"
#include "helpers.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Opens the chooser over Owner and lets Steps handle the file dialog once it is up.
// A guard rejects a chooser the steps left open, so a failure cannot hang the run.
QString Browse(QWidget* Owner, const QString& Initial, const std::function<void(QFileDialog*)>& Steps) {
    QTimer Poll;
    QTimer::connect(&Poll, &QTimer::timeout, [&] {
        auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!Dialog || !Dialog->isVisible())
            return;
        Poll.stop();
        Steps(Dialog);
    });
    Poll.start(20);
    QTimer Guard;
    Guard.setSingleShot(true);
    QTimer::connect(&Guard, &QTimer::timeout, [] {
        if (auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            Dialog->reject();
    });
    Guard.start(20000);
    return BrowseForFolder(Owner, QStringLiteral("Select Folder"), Initial, QFileDialog::DontUseNativeDialog);
}

} // namespace

TEST(BrowseFolder, CancelGivesEmptyText) {
    QWidget Owner;
    Owner.show();
    QString Title;
    bool Owned = false, Modal = false;
    const QString Chosen = Browse(&Owner, QString(), [&](QFileDialog* Dialog) {
        Title = Dialog->windowTitle();
        Owned = Dialog->parentWidget() == &Owner;
        Modal = Dialog->isModal();
        Dialog->reject();
    });
    EXPECT_TRUE(Chosen.isEmpty());
    EXPECT_EQ(Title, QStringLiteral("Select Folder"));
    EXPECT_TRUE(Owned);
    EXPECT_TRUE(Modal);
}

TEST(BrowseFolder, OpensOnTheInitialFolderAndReturnsTheChoice) {
    QTemporaryDir Root;
    ASSERT_TRUE(Root.isValid());
    const QString Initial = Root.path() + QStringLiteral("/Vidéos clips");
    ASSERT_TRUE(QDir().mkpath(Initial + QStringLiteral("/inner")));
    QWidget Owner;
    Owner.show();
    QString Opened;
    const QString Chosen = Browse(&Owner, Initial, [&](QFileDialog* Dialog) {
        Opened = Dialog->directory().absolutePath();
        Dialog->setDirectory(Initial + QStringLiteral("/inner"));
        static_cast<QDialog*>(Dialog)->accept(); // public in QDialog, QFileDialog's own runs
    });
    EXPECT_EQ(Opened, Initial);
    EXPECT_EQ(Chosen, Initial + QStringLiteral("/inner")) << "full path, no trailing slash";
}
