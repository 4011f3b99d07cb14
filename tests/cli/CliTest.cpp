// SPDX-License-Identifier: GPL-3.0-or-later
// The vantix command as a user runs it: a real process on a real hive.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

class Vantix : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString hive() const { return dir.filePath(QStringLiteral("hive.sqlite3")); }

    Outcome run(std::initializer_list<const char*> words, const QByteArray& input = QByteArray())
    {
        QStringList args;
        for (const char* word : words)
            args << QString::fromUtf8(word);
        return runArgs(args, input);
    }

    Outcome runArgs(const QStringList& args, const QByteArray& input = QByteArray())
    {
        QProcess process;
        process.setProgram(QStringLiteral(VANTIX_EXECUTABLE));
        process.setArguments(QStringList{QStringLiteral("--registry"), hive()} + args);
        process.start();
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60'000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

} // namespace

TEST_F(Vantix, HelpVersionAndWrongUsage)
{
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(u"Usage: vantix"));
    EXPECT_EQ(run({"--version"}).out, QStringLiteral("vantix 0.1.0\n"));
    EXPECT_EQ(run({"settings", "--help"}).status, 0);
    EXPECT_EQ(run({"strings", "--help"}).status, 0);

    const QStringList wrong[] = {{},
                                 {"frobnicate"},
                                 {"--frobnicate"},
                                 {"settings", "get", "Config"},
                                 {"settings", "set", "A", "B", "C", "--number"},
                                 {"settings", "rename", "A"},
                                 {"strings", "x"}};
    for (const QStringList& args : wrong) {
        const Outcome r = runArgs(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(u"Usage:")) << r.err.toStdString();
    }
}

TEST_F(Vantix, SettingsBehaveAsInTheProgram)
{
    EXPECT_EQ(run({"settings", "set", "Tagmill\\MYPAGEHTM", "<!-- Name -->", "Name"}).status, 0);
    run({"settings", "set", "Tagmill\\INDEXHTM", "SourceFile", "/x/index.htm"});
    EXPECT_EQ(run({"settings", "get", "tagmill\\mypagehtm", "<!-- NAME -->"}).out,
              QStringLiteral("Name\n"));
    EXPECT_EQ(run({"settings", "get", "Tagmill", "BRANCHES"}).out,
              QStringLiteral("002\nINDEXHTM\nMYPAGEHTM\n"));

    // Missing: nothing and status 1, or the default.
    const Outcome missing = run({"settings", "get", "Config", "FindWidth", "--number"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_EQ(run({"settings", "get", "Config", "FindWidth", "--default", "6200"}).out,
              QStringLiteral("6200\n"));

    // The text KILL deletes, as in the program.
    run({"settings", "set", "Tagmill\\MYPAGEHTM", "<!-- Name -->", "KILL"});
    EXPECT_EQ(run({"settings", "get", "Tagmill\\MYPAGEHTM", "ALLSUBKEYS"}).out,
              QStringLiteral("000\n"));
    run({"settings", "set", "Config", "Width", " 6200.50 "});
    EXPECT_EQ(run({"settings", "get", "Config", "Width", "--number"}).out,
              QStringLiteral("6200.5\n"));
    EXPECT_EQ(run({"settings", "delete-branch", "Tagmill"}).status, 0);
    EXPECT_EQ(run({"settings", "get", "", "BRANCHES"}).out, QStringLiteral("001\nConfig\n"));
}

TEST_F(Vantix, ExportAndImport)
{
    const QByteArray reg = "REGEDIT4\r\n\r\n[HKEY_CURRENT_"
                           "USER\\Software\\Zux\\Vantix\\EMail\\FormSubmissions\\Quote]\r\n"
                           "\"Name\"=\"Quote request\"\r\n\"Delimiter\"=\": \"\r\n";
    EXPECT_EQ(run({"settings", "import", "-"}, reg).status, 0);
    const Outcome exported = run({"settings", "export", "EMail"});
    EXPECT_EQ(exported.status, 0);
    EXPECT_TRUE(exported.out.startsWith(u"REGEDIT4\n"));
    EXPECT_TRUE(exported.out.contains(
        u"[HKEY_CURRENT_USER\\Software\\Zux\\Vantix\\EMail\\FormSubmissions\\Quote]\n\"Name\"="
        u"\"Quote request\"\n"));

    // A bad line is named and nothing of the file is written.
    QFile bad(dir.filePath(QStringLiteral("bad.reg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zux\\Vantix\\New]\n\"A\"=\"1\"\n\"B\"=\"2\n");
    bad.close();
    const Outcome failed =
        runArgs({QStringLiteral("settings"), QStringLiteral("import"), bad.fileName()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.contains(u"Line 4")) << failed.err.toStdString();
    EXPECT_EQ(run({"settings", "get", "New", "A"}).status, 1);
}

TEST_F(Vantix, StringsAsTheUserSeesThem)
{
    EXPECT_EQ(run({"strings", "56"}).out, QStringLiteral("Vantix Paths\n"));
    EXPECT_EQ(run({"strings", "9303", "3", "2"}).out,
              QStringLiteral("This folder contains 3 email(s) of which 2 are form submissions.\n"));
    const Outcome missing = run({"strings", "99999"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(u"Global:ResolveRes  Error:")) << missing.err.toStdString();
}

TEST_F(Vantix, ForeignHiveIsRefusedAndLeftAlone)
{
    QFile file(hive());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a settings hive");
    file.close();
    const Outcome r = run({"settings", "set", "A", "B", "C"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(hive())) << r.err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("this is not a settings hive"));
}
