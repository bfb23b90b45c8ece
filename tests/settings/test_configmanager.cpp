#include "settings/configManager.h"

#include "scratch.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(ConfigManager, StartsAt400By225Locked) {
    const TConfigManager Config;
    EXPECT_EQ(Config.Width, 400);
    EXPECT_EQ(Config.Height, 225);
    EXPECT_TRUE(Config.Constrain);
}

// A settings file larger than any real one is set aside, not read, and the defaults stay.
TEST(ConfigManager, AnOversizedFileIsSetAsideWithAMessage) {
    TScratch Folder;
    const QString File = QString::fromStdString(Folder.Path + "/trovelle.conf");
    {
        std::ofstream Out(File.toStdString());
        Out << "[Thumbnail]\nWidth=123\nHeight=45\n";
        Out << std::string(TConfigManager::kMaxFileBytes, ';') << "\n";
    }
    TConfigManager Config;
    const QString Said = Config.Load(File);
    EXPECT_TRUE(Said.contains(QStringLiteral("set aside"))) << Said.toStdString();
    EXPECT_EQ(Config.Width, 400);
    EXPECT_FALSE(QFileInfo::exists(File));
    EXPECT_TRUE(QFileInfo(File + QStringLiteral(".too-large")).isFile());
    // A file of a real size is read and says nothing.
    Config.Width = 321;
    Config.SizeChosen = true;
    ASSERT_EQ(Config.Save(File), QString());
    TConfigManager Again;
    EXPECT_EQ(Again.Load(File), QString());
    EXPECT_EQ(Again.Width, 321);
}

// Saving through a link keeps the link and changes its target; a place that cannot hold
// the file is reported.
TEST(ConfigManager, SavingKeepsALinkAndReportsAFailure) {
    TScratch Folder;
    const std::string Real = Folder.Path + "/dotfiles/trovelle.conf";
    std::filesystem::create_directories(Folder.Path + "/dotfiles");
    std::ofstream(Real) << "[Generate]\nPieces=7\n";
    const std::string Link = Folder.Path + "/config/trovelle.conf";
    std::filesystem::create_directories(Folder.Path + "/config");
    std::filesystem::create_symlink(Real, Link);

    TConfigManager Config;
    Config.Load(QString::fromStdString(Link));
    EXPECT_EQ(Config.Pieces, 7);
    Config.Pieces = 9;
    EXPECT_EQ(Config.Save(QString::fromStdString(Link)), QString());
    EXPECT_TRUE(std::filesystem::is_symlink(Link));
    TConfigManager Real9;
    Real9.Load(QString::fromStdString(Real));
    EXPECT_EQ(Real9.Pieces, 9);
    // No temporary file is left beside the target.
    EXPECT_EQ(Folder.Files("dotfiles"), 1u);

    const std::string Occupied = Folder.Path + "/a folder.conf";
    std::filesystem::create_directories(Occupied);
    EXPECT_NE(Config.Save(QString::fromStdString(Occupied)), QString());
}
