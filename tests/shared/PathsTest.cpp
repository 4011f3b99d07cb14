// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Paths.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "platform/ProgramEnd.h"
#include "shared/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace Global;
using Platform::MsgAnswer;
using Platform::MsgIcon;

namespace {

const QString Mode = QStringLiteral("Config\\Modes\\Office");

void makeFolder(const QString& path)
{
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
}

void makeFile(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("x");
}

// A hive whose mode "Office" names usable required folders, each one inside
// the hive's folder, and the user "jo"; the caches of the mode are read
// afresh.
struct Workspace
{
    Workspace()
    {
        for (const char* folder : {"Index", "Shared", "Users/jo", "RADs", "Filing"})
            makeFolder(path(QLatin1String(folder)));
        makeFile(path(QStringLiteral("Shared/Shared.bin")));
        settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                     QStringLiteral("Office"));
        settings.set(QStringLiteral("Config"), QStringLiteral("UserFolder"), QStringLiteral("jo"));
        for (const char* name : {"Index", "Shared", "Users", "RADs", "Filing"})
            setFolder(QLatin1String(name) + QStringLiteral("Folder"), path(QLatin1String(name)));
        reload();
    }

    QString path(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? settings.folder()
                                  : settings.folder() + QLatin1Char('/') + relative;
    }
    void setFolder(const QString& setting, const QString& value)
    {
        settings.set(Mode, setting, value);
    }
    void setLocal(bool local)
    {
        settings.set(Mode, QStringLiteral("Local"), local ? QStringLiteral("-1") : QString());
        reload();
    }
    static void reload()
    {
        GetDataFolder(QString(), true);
        FindFolderByRef(QString(), QString());
    }

    Testing::TestSettings settings;
};

class PathsTest : public testing::Test
{
protected:
    QString path(const QString& relative = QString()) const { return ws.path(relative); }

    Workspace ws;
    Testing::ScriptedUiHost host;
};

} // namespace

TEST_F(PathsTest, CheckPathsKeepsTheUsableFoldersWithoutATrailingSeparator)
{
    ws.setFolder(QStringLiteral("SharedFolder"), path(QStringLiteral("Shared/")));
    // A data folder copied from another system names its share file in its
    // own case.
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("Shared/Shared.bin")),
                              path(QStringLiteral("Shared/SHARED.BIN"))));
    CheckPaths();
    EXPECT_TRUE(host.boxes.isEmpty());
    const CheckedPaths& paths = checkedPaths();
    EXPECT_EQ(paths.indexFolder, path(QStringLiteral("Index")));
    EXPECT_EQ(paths.sharedFolder, path(QStringLiteral("Shared")));
    EXPECT_EQ(paths.shareFile, path(QStringLiteral("Shared/SHARED.BIN")));
    EXPECT_EQ(paths.usersFolder, path(QStringLiteral("Users")));
    EXPECT_EQ(paths.userFolder, path(QStringLiteral("Users/jo")));
    EXPECT_EQ(paths.radsFolder, path(QStringLiteral("RADs")));
}

TEST(Paths, CheckPathsEndsTheProgramAfterNamingTheFirstUnusablePath)
{
    struct Case
    {
        const char* what;
        std::function<void(Workspace&)> spoil;
        QString message; // "%1" stands for the workspace
        MsgIcon icon;
        bool beeps;
    };
    const QString close = QStringLiteral("\r\n\r\nThis program will now close.");
    const Case cases[] = {
        {"no mode",
         [](Workspace& ws) {
             ws.settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                             QString());
         },
         QStringLiteral("There are no paths set on this machine.") + close, MsgIcon::Exclamation,
         true},
        {"empty index setting",
         [](Workspace& ws) { ws.setFolder(QStringLiteral("IndexFolder"), QString()); },
         QStringLiteral("A required path is missing from the 'Index' settings.") + close,
         MsgIcon::Exclamation, true},
        {"missing shared folder",
         [](Workspace& ws) {
             ws.setFolder(QStringLiteral("SharedFolder"), ws.path(QStringLiteral("Gone")));
         },
         QStringLiteral("'Shared' settings.") + close, MsgIcon::Exclamation, true},
        {"no share file",
         [](Workspace& ws) { QFile::remove(ws.path(QStringLiteral("Shared/Shared.bin"))); },
         QStringLiteral("Unable to create a Share file called\r\n\"%1/Shared/Shared.bin\""),
         MsgIcon::Critical, false},
        {"missing user folder",
         [](Workspace& ws) {
             ws.settings.set(QStringLiteral("Config"), QStringLiteral("UserFolder"),
                             QStringLiteral("max"));
         },
         QStringLiteral("could not be accessed:\r\n\r\n\"%1/Users/max\""), MsgIcon::Exclamation,
         true},
        {"missing RADs folder",
         [](Workspace& ws) { QDir(ws.path(QStringLiteral("RADs"))).removeRecursively(); },
         QStringLiteral("'RADs' settings.") + close, MsgIcon::Exclamation, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace ws;
        Testing::ScriptedUiHost host;
        c.spoil(ws);
        host.expectBox(MsgAnswer::Ok, QString(c.message).replace(QStringLiteral("%1"), ws.path()));
        EXPECT_THROW(CheckPaths(), Platform::ProgramEnd);
        ASSERT_EQ(host.boxes.size(), 1);
        EXPECT_EQ(host.boxes[0].icon, c.icon);
        EXPECT_EQ(host.boxes[0].title, QStringLiteral("Warning!"));
        EXPECT_EQ(host.beeps, c.beeps ? 1 : 0);
    }
}

TEST_F(PathsTest, StartupValuesAndTheWizardsFolder)
{
    InitGlobals();
    EXPECT_EQ(startupValues().lineEnd, QStringLiteral("\r\n"));
    EXPECT_EQ(startupValues().language, QStringLiteral("English"));
    EXPECT_EQ(startupValues().runFrom, QCoreApplication::applicationDirPath());
    EXPECT_EQ(startupValues().tweakBroadcastMsg, 50000);
    EXPECT_EQ(startupValues().dialMsg, 50003);
    EXPECT_EQ(startupValues().fileNameCharsBlank, QLatin1Char(' ') + startupValues().fileNameChars);

    // A copy started from the suite's wizards folder works from its parent.
    ws.settings.set(QStringLiteral("Config"), QStringLiteral("RunFrom"),
                    QStringLiteral("/opt/suite/WIZARDS/"));
    InitGlobals();
    EXPECT_EQ(startupValues().runFrom, QStringLiteral("/opt/suite/WIZARDS"));
    dropWizardsFolder();
    EXPECT_EQ(startupValues().runFrom, QStringLiteral("/opt/suite"));
    dropWizardsFolder();
    EXPECT_EQ(startupValues().runFrom, QStringLiteral("/opt/suite"));
}

TEST_F(PathsTest, DataFoldersAreReadOnceUntilAReload)
{
    ws.setFolder(QStringLiteral("LettersFolder"), QStringLiteral("/data/Letters"));
    Workspace::reload();
    EXPECT_EQ(GetDataFolder(QStringLiteral("FilingFolder")), path(QStringLiteral("Filing")));
    EXPECT_EQ(GetDataFolder(QStringLiteral("LettersFolder")), QStringLiteral("/data/Letters"));
    // The required folders come from CheckPaths, and names are exact.
    EXPECT_EQ(GetDataFolder(QStringLiteral("IndexFolder")), QString());
    EXPECT_EQ(GetDataFolder(QStringLiteral("lettersfolder")), QString());

    ws.setFolder(QStringLiteral("LettersFolder"), QStringLiteral("/data/Post"));
    EXPECT_EQ(GetDataFolder(QStringLiteral("LettersFolder")), QStringLiteral("/data/Letters"));
    EXPECT_EQ(GetDataFolder(QStringLiteral("LettersFolder"), true), QString());
    EXPECT_EQ(GetDataFolder(QStringLiteral("LettersFolder")), QStringLiteral("/data/Post"));

    // A reload without a mode forgets the old mode's folders.
    ws.settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"), QString());
    GetDataFolder(QString(), true);
    EXPECT_EQ(GetDataFolder(QStringLiteral("LettersFolder")), QString());
}

TEST(Paths, ResolveFolderNameSplitsNameAndReference)
{
    const struct
    {
        const char* path;
        const char* name;
        const char* ref;
    } cases[] = {
        {"/Data/Filing/Acme [12]/Smith [12-3]", "Smith", "12-3"},
        {"/Data/Filing/Acme [12]/Smith [12-3]/", "Smith", "12-3"},
        {"/Data/[7]", "", "7"},
        {"[7]", "", "7"},
        {"  Jones   [4]", "Jones", "4"},
        {"/Data/Plain", "Plain", "Plain"},
        {"Plain", "Plain", "Plain"},
        // A bracket of a parent folder is no reference of the last one.
        {"/Data/Acme [12]/Odd]", "Odd]", "Odd]"},
    };
    for (const auto& c : cases) {
        QString name;
        QString ref;
        ResolveFolderName(QString::fromUtf8(c.path), name, ref);
        EXPECT_EQ(name, QString::fromUtf8(c.name)) << c.path;
        EXPECT_EQ(ref, QString::fromUtf8(c.ref)) << c.path;
    }
}

TEST_F(PathsTest, FindFolderByRefListsAllNamesOnlyInALocalMode)
{
    const QString filing = path(QStringLiteral("Filing"));
    for (const char* name : {"_x [5]", "0 [6]", "9 [6]", "b [7]", "[7]", "ACME [8]", "a [9]"})
        makeFolder(filing + QLatin1Char('/') + QLatin1String(name));
    makeFile(filing + QStringLiteral("/file [9]"));

    const struct
    {
        const char* ref;
        const char* network;
        const char* local;
    } cases[] = {
        {"5", "", "_x [5]"},     // a name that starts with neither blank, digit nor letter
        {"6", "9 [6]", "0 [6]"}, // "0" is tried after the other digits
        {"7", "[7]", "b [7]"},   // the bare reference comes first
        {"8", "ACME [8]", "ACME [8]"},
        {"9", "a [9]", "a [9]"}, // files are no folders
        {"4", "", ""},
        {"[", "", ""},
    };
    for (const bool local : {false, true}) {
        ws.setLocal(local);
        for (const auto& c : cases) {
            EXPECT_EQ(FindFolderByRef(filing, QString::fromUtf8(c.ref)),
                      QString::fromUtf8(local ? c.local : c.network))
                << c.ref << (local ? " local" : " network");
        }
    }
    // The switch is kept until a reload.
    ws.settings.set(Mode, QStringLiteral("Local"), QString());
    EXPECT_EQ(FindFolderByRef(filing, QStringLiteral("5")), QStringLiteral("_x [5]"));
    EXPECT_EQ(FindFolderByRef(QString(), QString()), QString());
    EXPECT_EQ(FindFolderByRef(filing, QStringLiteral("5")), QString());
}

TEST_F(PathsTest, ResolveFolderRefWalksTheTreeAsFarAsItGoes)
{
    const QString filing = path(QStringLiteral("Filing"));
    const QString acme = filing + QStringLiteral("/Acme [12]");
    const QString smith = acme + QStringLiteral("/Smith [12-3]");
    makeFolder(smith);
    makeFolder(filing + QStringLiteral("/Other [123]"));

    EXPECT_EQ(ResolveFolderRef(QStringLiteral("12-3")), smith);
    EXPECT_EQ(ResolveFolderRef(QStringLiteral("12-3-9")), smith);
    EXPECT_EQ(ResolveFolderRef(QStringLiteral("12-4")), acme);
    EXPECT_EQ(ResolveFolderRef(QStringLiteral("99")), filing);
    EXPECT_EQ(ResolveFolderRef(QStringLiteral("12"), QStringLiteral("NoSuchFolder")), QString());

    // A full path of the tree is its own answer (its information file found
    // whatever its case), and so is a file.
    makeFile(smith + QStringLiteral("/FILEINFO.INF"));
    const QString elsewhere = path(QStringLiteral("Elsewhere"));
    makeFolder(elsewhere);
    makeFile(elsewhere + QStringLiteral("/note.txt"));
    EXPECT_EQ(ResolveFolderRef(smith), smith);
    EXPECT_EQ(ResolveFolderRef(elsewhere + QStringLiteral("/note.txt")),
              elsewhere + QStringLiteral("/note.txt"));

    // A filing setting inside the tree is climbed out of first.
    ws.setFolder(QStringLiteral("FilingFolder"), acme + QLatin1Char('/'));
    Workspace::reload();
    EXPECT_EQ(ResolveFolderRef(QStringLiteral("12-3")), smith);

    // Without the tree the walk ends at a folder that is not there.
    ws.setFolder(QStringLiteral("FilingFolder"), path(QStringLiteral("Gone")));
    Workspace::reload();
    EXPECT_EQ(ResolveFolderRef(QStringLiteral("12-3")), QString());
    EXPECT_TRUE(host.boxes.isEmpty());
}

namespace {

// `parent` followed by folders of "p" and the last part, `length`
// characters in all.
QString pathOfLength(const QString& parent, const QString& last, int length)
{
    const int padding = length - int(parent.size() + 2 + last.size());
    EXPECT_GT(padding, 0);
    EXPECT_LT(padding, 250);
    return parent + QLatin1Char('/') + QString(padding, QLatin1Char('p')) + QLatin1Char('/') + last;
}

} // namespace

TEST_F(PathsTest, FitFolderPathShortensTheNameToTheLimitWithConsent)
{
    QString fits = pathOfLength(path(), QStringLiteral("Name [12-3]"), 238);
    const QString untouched = fits;
    EXPECT_TRUE(FitFolderPath(fits));
    EXPECT_EQ(fits, untouched);

    // A name without blanks is cut where the limit falls, "..." included.
    const QString long239 = pathOfLength(path(), QStringLiteral("LongName [12-3]"), 239);
    const QString parent = long239.left(long239.lastIndexOf(u'/'));
    host.expectBox(MsgAnswer::Yes, QStringLiteral("longer than Windows allows (238 characters)"));
    QString target = long239;
    EXPECT_TRUE(FitFolderPath(target));
    EXPECT_EQ(target, parent + QStringLiteral("/Long... [12-3]"));
    EXPECT_EQ(target.size(), 238);
    EXPECT_TRUE(host.boxes.value(0).text.contains(u"call it\r\n\".../Long... [12-3]\"?"));
    EXPECT_EQ(host.boxes.value(0).buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(host.boxes.value(0).title, QStringLiteral("Please confirm"));

    // A name with blanks is cut after a whole word.
    target = pathOfLength(path(), QStringLiteral("Long Name [12-3]"), 239);
    host.expectBox(MsgAnswer::Yes);
    EXPECT_TRUE(FitFolderPath(target));
    EXPECT_TRUE(target.endsWith(u"/Long... [12-3]")) << target.toStdString();

    // No keeps the path as it was.
    target = long239;
    host.expectBox(MsgAnswer::No);
    EXPECT_FALSE(FitFolderPath(target));
    EXPECT_EQ(target, long239);
}

TEST_F(PathsTest, FitFolderPathCountsPastFoldersThatExistAndKeepsToTheLimit)
{
    const QString long239 = pathOfLength(path(), QStringLiteral("LongName [12-3]"), 239);
    const QString parent = long239.left(long239.lastIndexOf(u'/'));
    makeFolder(parent + QStringLiteral("/Long... [12-3]"));
    // With a counter the name gives up more, so the path keeps to the limit.
    makeFile(parent + QStringLiteral("/Lon...1 [12-3]"));
    host.expectBox(MsgAnswer::Yes, QStringLiteral(".../Lon...2 [12-3]"));
    QString target = long239;
    EXPECT_TRUE(FitFolderPath(target));
    EXPECT_EQ(target, parent + QStringLiteral("/Lon...2 [12-3]"));
    EXPECT_EQ(target.size(), 238);
}

TEST_F(PathsTest, FitFolderPathRefusesWhatCannotBeShortened)
{
    // Not a folder of the filing tree: refused without a word.
    QString plain = pathOfLength(path(), QStringLiteral("Plain folder"), 239);
    EXPECT_FALSE(FitFolderPath(plain));
    QString empty;
    EXPECT_FALSE(FitFolderPath(empty));
    EXPECT_TRUE(host.boxes.isEmpty());

    // The parent and the reference alone pass the limit.
    QString deep = pathOfLength(path(), QStringLiteral("N [1]"), 239);
    deep.insert(deep.lastIndexOf(u'/'), QStringLiteral("/deeper"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("exceeds the Windows limit of 238 characters"));
    EXPECT_FALSE(FitFolderPath(deep));
    EXPECT_EQ(host.boxes.value(0).icon, MsgIcon::Exclamation);
    EXPECT_EQ(host.boxes.value(0).title, QStringLiteral("Unable to continue"));
}

// The file system counts the bytes of each part of a path: a name outside
// ASCII that keeps to the suite's characters may still be too long for it.
TEST_F(PathsTest, FitFolderPathKeepsEachPartToTheBytesOfTheFileSystem)
{
    const QString euros(100, QChar(0x20AC)); // 300 bytes
    QString target = path() + u'/' + euros + QStringLiteral(" [12-3]");
    host.expectBox(MsgAnswer::Yes,
                   QStringLiteral("longer than the file system allows (255 bytes)"));
    EXPECT_TRUE(FitFolderPath(target));
    const QString name = target.mid(target.lastIndexOf(u'/') + 1);
    EXPECT_TRUE(name.endsWith(QStringLiteral("... [12-3]"))) << target.toStdString();
    EXPECT_LE(QFile::encodeName(name).size(), 255);
    EXPECT_GT(QFile::encodeName(name).size(), 250);
    EXPECT_TRUE(host.boxes.value(0).text.contains(euros.left(10)));

    // Two-byte letters just within the limit pass untouched.
    QString fits = path() + u'/' + QString(124, QChar(0xE9)) + QStringLiteral(" [1]");
    const QString untouched = fits;
    EXPECT_TRUE(FitFolderPath(fits));
    EXPECT_EQ(fits, untouched);

    // A parent part that is itself too long leaves nothing to shorten.
    QString deep = path() + u'/' + euros + QStringLiteral("/N [1]");
    host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to shorten the folder name"));
    EXPECT_FALSE(FitFolderPath(deep));
}

TEST_F(PathsTest, MakePathCreatesTheShortenedFolder)
{
    QString target = pathOfLength(path(), QStringLiteral("Company Name [40]"), 240);
    host.expectBox(MsgAnswer::Yes);
    EXPECT_TRUE(MakePath(target));
    EXPECT_TRUE(target.endsWith(u"/Company... [40]")) << target.toStdString();
    EXPECT_TRUE(FolderExists(target));
    // Without the check the path is made as it is.
    QString whole = pathOfLength(path(), QStringLiteral("Company Name [41]"), 240);
    EXPECT_TRUE(MakePath(whole, false, false));
    EXPECT_TRUE(FolderExists(whole));
}
