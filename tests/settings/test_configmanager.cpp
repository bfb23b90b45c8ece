#include "settings/configManager.h"

#include "helpers.h"
#include "scratch.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace {

std::string ReadText(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

} // namespace

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

// A remembered save folder that is no longer there is named for the window to report, and
// the default takes its place; one that is there, or a value that was never a folder's
// path, names nothing.
TEST(ConfigManager, AVanishedSaveFolderIsNamed) {
    TScratch Folder;
    const std::string There = Folder.Path + "/there";
    std::filesystem::create_directories(There);
    std::ofstream(Folder.Path + "/a file") << "x";
    struct TCase {
        std::string Remembered;
        std::string SaveFolder, Missing;
    };
    const TCase Cases[] = {
        {There, There, ""},
        {Folder.Path + "/gone", "", Folder.Path + "/gone"},
        {Folder.Path + "/a file", "", Folder.Path + "/a file"},
        {"relative/folder", "", ""},
        {"", "", ""},
    };
    const QString File = QString::fromStdString(Folder.Path + "/trovelle.conf");
    TConfigManager Config;
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Remembered);
        std::ofstream(File.toStdString()) << "[Folders]\nSave=" << C.Remembered << "\n";
        EXPECT_EQ(Config.Load(File), QString());
        EXPECT_EQ(Config.SaveFolder.toStdString(), C.SaveFolder);
        EXPECT_EQ(Config.MissingSaveFolder.toStdString(), C.Missing);
    }
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

// A settings file of a size a settings file may have that cannot be read (random bytes, a
// file nobody may read) gives the defaults and a message naming where it was set aside; the
// next save writes a clean file in its place, and the start after that says nothing. Saving
// over it never carries its bytes along.
TEST(ConfigManager, AnUnreadableFileIsReplacedByACleanOneOnce) {
    struct TCase {
        const char* What;
        std::function<void(const std::string& File)> Spoil;
    };
    const TCase Cases[] = {
        {"random bytes",
         [](const std::string& File) {
             std::string Bytes(60 * 1000, '\0');
             uint32_t Seed = 31;
             for (char& B : Bytes) {
                 Seed = Seed * 1664525u + 1013904223u;
                 B = static_cast<char>(Seed >> 24);
             }
             std::ofstream(File, std::ios::binary) << "[Generate]\nPieces=7\n" << Bytes;
         }},
        {"a section that never closes",
         [](const std::string& File) { std::ofstream(File) << "[Generate\nPieces=7\n"; }},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TScratch Folder;
        const std::string File = Folder.Path + "/trovelle.conf";
        C.Spoil(File);
        const std::string Spoiled = ReadText(File);
        TConfigManager Config;
        const QString Said = Config.Load(QString::fromStdString(File));
        EXPECT_TRUE(Said.contains(QStringLiteral("cannot be read"))) << Said.toStdString();
        EXPECT_TRUE(Said.contains(QString::fromStdString(File + ".unreadable"))) << Said.toStdString();
        EXPECT_EQ(Config.Pieces, 12);
        EXPECT_TRUE(ReadText(File + ".unreadable") == Spoiled) << "not kept as it was";

        Config.Pieces = 9;
        EXPECT_EQ(Config.Save(QString::fromStdString(File)), QString());
        EXPECT_LT(std::filesystem::file_size(File), 1024u);
        TConfigManager Again;
        EXPECT_EQ(Again.Load(QString::fromStdString(File)), QString());
        EXPECT_EQ(Again.Pieces, 9);

        // Spoiled again after the start read it: the save still writes a clean file.
        C.Spoil(File);
        EXPECT_EQ(Again.Save(QString::fromStdString(File)), QString());
        EXPECT_LT(std::filesystem::file_size(File), 1024u);
        TConfigManager Third;
        EXPECT_EQ(Third.Load(QString::fromStdString(File)), QString());
        EXPECT_EQ(Third.Pieces, 9);
    }
}

// However the link is made (absolute, relative, through another link, to a file not made
// yet), saving through it keeps it, changes its target and says nothing.
TEST(ConfigManager, SavingThroughAnyLinkSaysNothing) {
    struct TCase {
        const char* What;
        std::function<void(const std::string& Link, const std::string& Real)> Make;
    };
    const TCase Cases[] = {
        {"absolute",
         [](const std::string& L, const std::string& R) { std::filesystem::create_symlink(R, L); }},
        {"relative",
         [](const std::string& L, const std::string&) {
             std::filesystem::create_symlink("../dotfiles/trovelle.conf", L);
         }},
        {"through another link",
         [](const std::string& L, const std::string& R) {
             std::filesystem::create_symlink(R, L + ".middle");
             std::filesystem::create_symlink(L + ".middle", L);
         }},
        {"to a file not made yet",
         [](const std::string& L, const std::string& R) {
             std::filesystem::remove(R);
             std::filesystem::create_symlink(R, L);
         }},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TScratch Folder;
        const std::string Real = Folder.Path + "/dotfiles/trovelle.conf";
        std::filesystem::create_directories(Folder.Path + "/dotfiles");
        std::ofstream(Real) << "[Generate]\nPieces=7\n";
        const std::string Link = Folder.Path + "/config/trovelle.conf";
        std::filesystem::create_directories(Folder.Path + "/config");
        C.Make(Link, Real);

        TConfigManager Config;
        EXPECT_EQ(Config.Load(QString::fromStdString(Link)), QString());
        Config.Pieces = 9;
        EXPECT_EQ(Config.Save(QString::fromStdString(Link)), QString());
        EXPECT_TRUE(std::filesystem::is_symlink(Link));
        TConfigManager Saved;
        EXPECT_EQ(Saved.Load(QString::fromStdString(Real)), QString());
        EXPECT_EQ(Saved.Pieces, 9);
        // Once more, now that the file is there.
        EXPECT_EQ(Saved.Save(QString::fromStdString(Link)), QString());
        EXPECT_TRUE(std::filesystem::is_symlink(Link));
        // And over a target that cannot be read: a clean file there, the link kept.
        std::ofstream(std::filesystem::canonical(Link)) << "[Generate\nPieces=7\n";
        EXPECT_EQ(Saved.Save(QString::fromStdString(Link)), QString());
        EXPECT_TRUE(std::filesystem::is_symlink(Link));
        TConfigManager Clean;
        EXPECT_EQ(Clean.Load(QString::fromStdString(Link)), QString());
        EXPECT_EQ(Clean.Pieces, 9);
    }
}

namespace {

// Every remembered value of C, in one line, so that a failure shows what came back.
std::string Values(const TConfigManager& C) {
    return "size " + std::to_string(C.Width) + "x" + std::to_string(C.Height) +
           (C.SizeChosen ? " chosen" : "") + (C.Constrain ? " locked" : " unlocked") + ", open '" +
           C.OpenFolder.toStdString() + "', save '" + C.SaveFolder.toStdString() + "', mode " +
           std::to_string(static_cast<int>(C.Mode)) + ", pieces " + std::to_string(C.Pieces) + ", sheet " +
           std::to_string(C.Sheet.Columns) + "x" + std::to_string(C.Sheet.Rows) + "@" +
           std::to_string(C.Sheet.Width) + (C.Sheet.PreferClear ? " clear" : " exact");
}

} // namespace

// Each remembered value comes back as it was saved, in both of its states: the defaults,
// and every value changed from its default, saved one after the other into the same file, so
// that nothing of an earlier save shows through a later one (the size lock unticked stays
// unticked, a size no longer chosen is forgotten).
TEST(ConfigManager, EveryValueComesBackInBothItsStates) {
    TScratch Folder;
    const QString Videos = QString::fromStdString(Folder.Path + "/videos");
    const QString Pictures = QString::fromStdString(Folder.Path + "/pictures");
    std::filesystem::create_directories(Videos.toStdString());
    std::filesystem::create_directories(Pictures.toStdString());
    struct TCase {
        const char* What;
        std::function<void(TConfigManager&)> Change;
    };
    const TCase Cases[] = {
        {"the defaults", [](TConfigManager&) {}},
        {"a chosen size, unlocked",
         [](TConfigManager& C) {
             C.Width = 321;
             C.Height = 99999;
             C.SizeChosen = true;
             C.Constrain = false;
         }},
        {"a chosen size, locked",
         [](TConfigManager& C) {
             C.Width = 1;
             C.Height = 2;
             C.SizeChosen = true;
         }},
        {"unlocked without a chosen size", [](TConfigManager& C) { C.Constrain = false; }},
        {"pieces", [](TConfigManager& C) { C.Mode = TThumbMode::Pieces; }},
        {"range", [](TConfigManager& C) { C.Mode = TThumbMode::Range; }},
        {"whole", [](TConfigManager& C) { C.Mode = TThumbMode::Whole; }},
        {"folders",
         [&](TConfigManager& C) {
             C.OpenFolder = Videos;
             C.SaveFolder = Pictures;
         }},
        {"pieces count", [](TConfigManager& C) { C.Pieces = TConfigManager::kMaxPieces; }},
        {"one piece", [](TConfigManager& C) { C.Pieces = 1; }},
        {"a sheet at the largest",
         [](TConfigManager& C) {
             C.Sheet = {kMaxSheetSide, kMaxSheetSide, kMaxSheetWidth};
         }},
        {"a sheet at the smallest",
         [](TConfigManager& C) {
             C.Sheet = {1, 1, kMinSheetWidth};
         }},
        {"everything at once",
         [&](TConfigManager& C) {
             C.Width = 640;
             C.Height = 360;
             C.SizeChosen = true;
             C.Constrain = false;
             C.OpenFolder = Videos;
             C.SaveFolder = Pictures;
             C.Mode = TThumbMode::Range;
             C.Pieces = 7;
             C.Sheet = {3, 2, 640, true};
         }},
        {"clear pictures preferred", [](TConfigManager& C) { C.Sheet.PreferClear = true; }},
        {"the defaults again", [](TConfigManager&) {}},
    };
    const QString File = QString::fromStdString(Folder.Path + "/trovelle/trovelle.conf");
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TConfigManager Saved;
        C.Change(Saved);
        ASSERT_EQ(Saved.Save(File), QString());
        TConfigManager Loaded;
        EXPECT_EQ(Loaded.Load(File), QString());
        EXPECT_EQ(Values(Loaded), Values(Saved));
    }
}

// The sheet's values are read one by one: one outside the limits of a sheet, or no number,
// gives that value's default and leaves the others.
TEST(ConfigManager, SheetValuesOutsideTheLimitsReadAsTheirDefaults) {
    struct TCase {
        const char* Stored;
        int32_t Columns, Rows, Width;
    };
    const TCase Cases[] = {
        {"Columns=1\nRows=20\nWidth=160\n", 1, 20, 160}, {"Columns=20\nRows=1\nWidth=10000\n", 20, 1, 10000},
        {"Columns=0\nRows=21\nWidth=159\n", 4, 4, 1600}, {"Columns=-3\nRows=3\nWidth=10001\n", 4, 3, 1600},
        {"Columns=abc\nRows=2.5\nWidth=\n", 4, 4, 1600}, {"Columns=5\n", 5, 4, 1600},
    };
    TScratch Folder;
    const std::string File = Folder.Path + "/trovelle.conf";
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Stored);
        std::ofstream(File) << "[Sheet]\n" << C.Stored;
        TConfigManager Config;
        Config.Load(QString::fromStdString(File));
        EXPECT_EQ(Config.Sheet.Columns, C.Columns);
        EXPECT_EQ(Config.Sheet.Rows, C.Rows);
        EXPECT_EQ(Config.Sheet.Width, C.Width);
    }
}

// The sheet's values that earlier versions kept in a file of their own are taken over when
// the settings file has none. Once they are saved with the others, that file is removed,
// with its folder when nothing else is left there; a file holding anything else, or reached
// through a link, stays as it is, and so does every file while the save fails. Either way
// the old file is read only while the settings file holds no sheet values.
TEST(ConfigManager, TheSheetValuesOfEarlierVersionsAreTakenOverOnce) {
    struct TCase {
        const char* What;
        std::string Earlier;    // the old file's content
        bool Linked = false;    // the old file is a link to a file elsewhere
        bool Neighbour = false; // another file beside the old one
        std::string Settings;   // the settings file's content before ("" none)
        bool SaveFails = false;
        int32_t Columns; // read after loading
        bool EarlierStays;
    };
    const std::string Sheet = "[Sheet]\nColumns=5\nRows=3\nWidth=900\n";
    const TCase Cases[] = {
        {"only the sheet's values", Sheet, false, false, "", false, 5, false},
        {"only the sheet's values, beside another file", Sheet, false, true, "", false, 5, false},
        {"the sheet's values and the settings without sheet", Sheet, false, false, "[Generate]\nPieces=7\n",
         false, 5, false},
        {"more than the sheet's values", Sheet + "[Other]\nKept=1\n", false, false, "", false, 5, true},
        {"a link", Sheet, true, false, "", false, 5, true},
        {"the settings hold sheet values", Sheet, false, false, "[Sheet]\nColumns=2\n", false, 2, true},
        {"a save that fails", Sheet, false, false, "", true, 5, true},
        {"no sheet values in the old file", "[Other]\nKept=1\n", false, false, "", false, 4, true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TScratch Home;
        const std::string OldFolder = Home.Path + "/config/Trovelle";
        const std::string Old = OldFolder + "/Trovelle.conf";
        std::filesystem::create_directories(OldFolder);
        if (C.Linked) {
            std::ofstream(Home.Path + "/dotfiles.conf") << C.Earlier;
            std::filesystem::create_symlink(Home.Path + "/dotfiles.conf", Old);
        } else {
            std::ofstream(Old) << C.Earlier;
        }
        if (C.Neighbour)
            std::ofstream(OldFolder + "/other.conf") << "[x]\ny=1\n";
        std::string Settings = Home.Path + "/config/trovelle/trovelle.conf";
        std::filesystem::create_directories(Home.Path + "/config/trovelle");
        if (!C.Settings.empty())
            std::ofstream(Settings) << C.Settings;

        TConfigManager Config;
        EXPECT_EQ(Config.Load(QString::fromStdString(Settings), QString::fromStdString(Old)), QString());
        EXPECT_EQ(Config.Sheet.Columns, C.Columns);
        const int32_t Rows = Config.Sheet.Rows;
        if (C.SaveFails) {
            // The settings file's place is taken by a folder.
            Settings = Home.Path + "/config/trovelle/taken";
            std::filesystem::create_directories(Settings);
            EXPECT_NE(Config.Save(QString::fromStdString(Settings)), QString());
        } else {
            ASSERT_EQ(Config.Save(QString::fromStdString(Settings)), QString());
            // The settings file holds them now.
            TConfigManager Again;
            Again.Load(QString::fromStdString(Settings));
            EXPECT_EQ(Again.Sheet.Columns, C.Columns);
            EXPECT_EQ(Again.Sheet.Rows, Rows);
        }
        EXPECT_EQ(std::filesystem::is_symlink(Old) || std::filesystem::exists(Old), C.EarlierStays);
        if (C.EarlierStays) {
            EXPECT_EQ(ReadText(Old), C.Earlier);
        }
        // The folder goes with the file unless something else is in it.
        EXPECT_EQ(std::filesystem::exists(OldFolder), C.EarlierStays || C.Neighbour);
        if (C.Linked) {
            EXPECT_EQ(ReadText(Home.Path + "/dotfiles.conf"), C.Earlier);
        }

        if (!C.SaveFails) {
            // Read once: what the old file says later is not taken again.
            if (C.EarlierStays)
                std::ofstream(Old) << "[Sheet]\nColumns=9\n";
            TConfigManager Later;
            Later.Load(QString::fromStdString(Settings), QString::fromStdString(Old));
            EXPECT_EQ(Later.Sheet.Columns, C.Columns);
        }
    }
}
