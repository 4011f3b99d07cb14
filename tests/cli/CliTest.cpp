// SPDX-License-Identifier: GPL-3.0-or-later
// The vantix command as a user runs it: a real process on a real hive.
#include "cli/Cli.h"

#include "TestSettings.h"
#include "VantixProcess.h"
#include "datafiles/EventFile.h"
#include "datafiles/ProfileFile.h"
#include "datafiles/ShareFile.h"
#include "platform/RegistryHive.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Testing::Outcome;

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
        return runWith(QStringList{QStringLiteral("--registry"), hive()} + args, input);
    }

    Outcome
    runWith(const QStringList& args, const QByteArray& input = QByteArray(),
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        return Testing::runVantix(args, input, environment);
    }

    // The hive of the test, for the commands that only read it.
    void makeHive() { Platform::RegistryHive::open(hive()); }

    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
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
    EXPECT_EQ(run({"dump", "--help"}).status, 0);

    const QStringList wrong[] = {{},
                                 {"frobnicate"},
                                 {"--frobnicate"},
                                 {"settings", "get", "Config"},
                                 {"settings", "set", "A", "B", "C", "--number"},
                                 {"settings", "rename", "A"},
                                 {"strings", "x"},
                                 {"strings", "-1"},
                                 {"strings", "99999999999"},
                                 {"dump"},
                                 {"dump", "a", "b"},
                                 {"dump", "a", "--xml"}};
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
    makeHive();
    EXPECT_EQ(run({"strings", "56"}).out, QStringLiteral("Vantix Paths\n"));
    EXPECT_EQ(run({"strings", "9303", "3", "2"}).out,
              QStringLiteral("This folder contains 3 email(s) of which 2 are form submissions.\n"));
    const Outcome missing = run({"strings", "99999"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(u"Global:ResolveRes  Error:")) << missing.err.toStdString();
}

// A file that is not a hive, an empty one too, is refused by every command that opens the
// settings, and stays as it was.
TEST_F(Vantix, AFileThatIsNoHiveIsRefusedAndLeftAlone)
{
    for (const QByteArray& bytes : {QByteArray("this is not a settings hive"), QByteArray()}) {
        for (const QStringList& args :
             {QStringList{"settings", "set", "A", "B", "C"}, QStringList{"strings", "56"}}) {
            SCOPED_TRACE(args.join(u' ').toStdString() + " on " + bytes.toStdString());
            file(QStringLiteral("hive.sqlite3"), bytes);
            const Outcome r = runArgs(args);
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.err.contains(hive() + QStringLiteral("\" is not a settings hive")))
                << r.err.toStdString();
            QFile stored(hive());
            ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
            EXPECT_EQ(stored.readAll(), bytes);
        }
    }
}

// A mistyped --registry or $VANTIX_REGISTRY must not leave an empty hive (and its folders)
// behind: the commands that only read refuse it, those that write make it and say so.
TEST_F(Vantix, AHiveThatDoesNotExistIsMadeOnlyByCommandsThatWrite)
{
    const QString document = file(QStringLiteral("page.htm"), "<!-- Name -->");
    const QString dumped = file(QStringLiteral("text.txt"), "not a data file");
    const QStringList readers[] = {
        {QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Config"),
         QStringLiteral("RunFrom")},
        {QStringLiteral("settings"), QStringLiteral("export")},
        {QStringLiteral("settings"), QStringLiteral("check")},
        {QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("Smi")},
        {QStringLiteral("index"), QStringLiteral("verify")},
        {QStringLiteral("scan"), dir.path()},
        {QStringLiteral("tags"), document},
        {QStringLiteral("picks"), QStringLiteral("list")},
    };
    const QString typo = dir.filePath(QStringLiteral("typo/registry.sqlite3"));
    for (const QStringList& args : readers) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const Outcome r = runWith(QStringList{QStringLiteral("--registry"), typo} + args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  QStringLiteral("vantix: The settings file \"%1\" does not exist.\n").arg(typo));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("typo"))));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VANTIX_REGISTRY"), typo);
    EXPECT_EQ(
        runWith({QStringLiteral("settings"), QStringLiteral("export")}, {}, environment).status, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("typo"))));

    // The commands that work on the files and texts they are given need no hive, and make none:
    // a dump of a file that is no data file fails for that file alone.
    const std::tuple<QStringList, int, const char*> fileCommands[] = {
        {{QStringLiteral("strings"), QStringLiteral("56")}, 0, "Vantix Paths\n"},
        {{QStringLiteral("convert"), QStringLiteral("html2txt"), document}, 0, ""},
        {{QStringLiteral("dump"), dumped}, 1, ""},
    };
    for (const auto& [args, status, out] : fileCommands) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const Outcome r = runWith(args, {}, environment);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, QLatin1String(out));
        EXPECT_FALSE(r.err.contains(typo)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("typo"))));
    }

    const QStringList writers[] = {
        {QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("A"),
         QStringLiteral("B"), QStringLiteral("C")},
        {QStringLiteral("settings"), QStringLiteral("delete"), QStringLiteral("A"),
         QStringLiteral("B")},
        {QStringLiteral("settings"), QStringLiteral("delete-branch"), QStringLiteral("A")},
        {QStringLiteral("settings"), QStringLiteral("import"), QStringLiteral("-")},
        {QStringLiteral("index"), QStringLiteral("rebuild")},
        {QStringLiteral("index"), QStringLiteral("lock"), QStringLiteral("Name")},
        {QStringLiteral("index"), QStringLiteral("unlock"), QStringLiteral("Name")},
        {QStringLiteral("link"), document, QStringLiteral("<!-- Name -->"), QStringLiteral("Name")},
        {QStringLiteral("unlink"), document, QStringLiteral("<!-- Name -->")},
        {QStringLiteral("picks"), QStringLiteral("add"), QStringLiteral("recent"),
         QStringLiteral("Smith"), QStringLiteral("1-2")},
    };
    for (qsizetype i = 0; i < std::ssize(writers); ++i) {
        SCOPED_TRACE(writers[i].join(u' ').toStdString());
        const QString made = dir.filePath(QStringLiteral("new%1/registry.sqlite3").arg(i));
        const Outcome r =
            runWith(QStringList{QStringLiteral("--registry"), made} + writers[i], "REGEDIT4\n");
        EXPECT_TRUE(
            r.err.startsWith(QStringLiteral("vantix: made a new settings file \"%1\"\n").arg(made)))
            << r.err.toStdString();
        EXPECT_TRUE(QFileInfo::exists(made));
    }
}

// delete removes one value: the programs' orders for a whole branch are no value names.
TEST_F(Vantix, SettingsDeleteAndSetRefuseTheProgramsOrdersAsValueNames)
{
    run({"settings", "set", "Tagmill\\PAGEHTM", "<!-- a -->", "Name"});
    const char* const refused[][2] = {{"delete", "EMPTY"},
                                      {"delete", "KILLALL"},
                                      {"delete", "KILL"},
                                      {"set", "EMPTY"},
                                      {"set", "KILLALL"}};
    for (const auto& [verb, key] : refused) {
        SCOPED_TRACE(std::string(verb) + " " + key);
        const Outcome r = verb == std::string("set")
                              ? run({"settings", verb, "Tagmill\\PAGEHTM", key, "x"})
                              : run({"settings", verb, "Tagmill\\PAGEHTM", key});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(u"'vantix settings delete-branch SECTION'"))
            << r.err.toStdString();
        EXPECT_EQ(run({"settings", "get", "Tagmill\\PAGEHTM", "ALLSUBKEYS"}).out,
                  QStringLiteral("001\n<!-- a -->\n"));
    }
    // The listings of get are no values either, and the value KILL still deletes.
    EXPECT_EQ(run({"settings", "get", "Tagmill", "BRANCHES"}).out,
              QStringLiteral("001\nPAGEHTM\n"));
    run({"settings", "set", "Tagmill\\PAGEHTM", "<!-- a -->", "KILL"});
    EXPECT_EQ(run({"settings", "get", "Tagmill\\PAGEHTM", "ALLSUBKEYS"}).out,
              QStringLiteral("000\n"));
}

TEST_F(Vantix, ADamagedHiveIsFoundByCheckToldOnceAndNeverWritten)
{
    run({"settings", "set", "Config\\Modes", "LastMode", "Office"});
    const Outcome whole = run({"settings", "check"});
    EXPECT_EQ(whole.status, 0);
    EXPECT_EQ(whole.out, hive() + QStringLiteral(": no damage found\n"));

    Testing::damageHive(hive());
    QFile stored(hive());
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray before = stored.readAll();
    stored.close();

    const Outcome checked = run({"settings", "check"});
    EXPECT_EQ(checked.status, 1);
    EXPECT_TRUE(checked.out.startsWith(hive() + QStringLiteral(": damaged, ")))
        << checked.out.toStdString();
    // The index commands read a dozen settings before they give up.
    for (const char* command : {"get", "set", "verify"}) {
        SCOPED_TRACE(command);
        const Outcome r = command == std::string("get")
                              ? run({"settings", "get", "Config\\Modes", "LastMode"})
                          : command == std::string("set")
                              ? run({"settings", "set", "Config\\Modes", "LastMode", "Home"})
                              : run({"index", "verify"});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(r.err.count(u"is damaged"), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(hive()));
    }
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), before);
}

// A document's links are one listing of its branch: a thousand of them and more must all come
// back.
TEST_F(Vantix, AThousandLinksOfADocumentAllComeBack)
{
    QByteArray page;
    QByteArray reg = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zux\\Vantix\\Tagmill\\PAGEHTM]\n";
    constexpr int Links = 1000;
    for (int i = 0; i < Links; ++i) {
        page += "<!-- " + QByteArray::number(i) + " -->\n";
        reg +=
            "\"<!-- " + QByteArray::number(i) + " -->\"=\"Field" + QByteArray::number(i) + "\"\n";
    }
    const QString document = file(QStringLiteral("page.htm"), page);
    ASSERT_EQ(run({"settings", "import", "-"}, reg).status, 0);

    const Outcome listed = run({"settings", "get", "Tagmill\\PAGEHTM", "ALLSUBKEYS"});
    EXPECT_TRUE(listed.out.startsWith(u"1000\n<!-- 0 -->\n")) << listed.out.left(40).toStdString();
    EXPECT_EQ(listed.out.count(u'\n'), Links + 1);

    const Outcome tags = runArgs({QStringLiteral("tags"), document, QStringLiteral("--json")});
    const QJsonArray rows = QJsonDocument::fromJson(tags.out.toUtf8()).object()[u"tags"].toArray();
    ASSERT_EQ(rows.size(), Links);
    for (int i = 0; i < Links; ++i)
        EXPECT_EQ(rows[i].toObject()[u"field"].toString(), QStringLiteral("Field%1").arg(i));
}

TEST_F(Vantix, ConvertWritesTheConvertersBytesExactly)
{
    // Windows-1252 in and out: "é" is the one byte E9 both ways.
    const QByteArray text("a{b}\\c\r\n\xE9\x1F"
                          "Bx\t");
    const Outcome txt = run({"convert", "txt2rtf"}, text);
    EXPECT_EQ(txt.status, 0) << txt.err.toStdString();
    EXPECT_EQ(txt.bytes, QByteArray("a\\{b\\}\\\\c\\par \xE9\\b x\\tab "));

    QFile page(dir.filePath(QStringLiteral("page.htm")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<B>Caf&eacute;</B> &pound;5<BR>");
    page.close();
    const Outcome body =
        runArgs({QStringLiteral("convert"), QStringLiteral("html2rtf"), page.fileName()});
    EXPECT_EQ(body.bytes, QByteArray("\\b Caf\xE9\\b0  \xA3"
                                     "5\\par "));
    const Outcome wrapped = runArgs({QStringLiteral("convert"), QStringLiteral("html2rtf"),
                                     QStringLiteral("--wrap"), page.fileName()});
    EXPECT_TRUE(wrapped.bytes.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(wrapped.bytes.endsWith("\\par }"));
    EXPECT_EQ(run({"convert", "html2txt", "-"}, "<p>Caf&eacute; \xE9</p>").bytes,
              QByteArray("Caf\xE9 \xE9"));
    EXPECT_EQ(run({"convert", "txt2rtf", "--plain-only"}, "<html><body></body></html>").bytes,
              QByteArray("<html><body></body></html>"));
    EXPECT_EQ(run({"convert", "rtf2txt"}, "{\\rtf1\\ansi Name:\\'e9\\par\r\nx\\cell y}").bytes,
              QByteArray("Name:\xE9\r\nx\ty"));
}

TEST_F(Vantix, ConvertFailsWithoutOutputWhenTheConverterReportsAnError)
{
    const Outcome fault = run({"convert", "html2rtf"}, QByteArray("<FONT>").repeated(51));
    EXPECT_EQ(fault.status, 1);
    EXPECT_TRUE(fault.bytes.isEmpty());
    EXPECT_TRUE(fault.err.contains(u"Routines_Converters:HTMLtoRTF  Error:Subscript out of range"));

    EXPECT_EQ(run({"convert", "html2txt", "/no/such/file"}).status, 1);

    const QStringList wrong[] = {
        {QStringLiteral("convert")},
        {QStringLiteral("convert"), QStringLiteral("rtf2html")},
        {QStringLiteral("convert"), QStringLiteral("html2txt"), QStringLiteral("--wrap")},
        {QStringLiteral("convert"), QStringLiteral("txt2rtf"), QStringLiteral("a"),
         QStringLiteral("b")}};
    for (const QStringList& args : wrong)
        EXPECT_EQ(runArgs(args).status, 2) << args.join(u' ').toStdString();
    EXPECT_EQ(run({"convert", "--help"}).status, 0);
}

// An input is read to a stated bound, past which it is refused before anything is done with it.
TEST_F(Vantix, InputsPastTheirBoundAreRefused)
{
    const QString large = dir.filePath(QStringLiteral("large"));
    {
        QFile out(large);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_TRUE(out.resize(Cli::MaxInputBytes + 1)); // sparse: nothing is written
    }
    const QString built = dir.filePath(QStringLiteral("built.bin"));
    const QStringList commands[] = {
        {QStringLiteral("settings"), QStringLiteral("import"), large},
        {QStringLiteral("convert"), QStringLiteral("html2txt"), large},
        {QStringLiteral("postcodes"), QStringLiteral("build"), large, built},
        // A device says no size: it is read to one byte past the bound.
        {QStringLiteral("convert"), QStringLiteral("rtf2txt"), QStringLiteral("/dev/zero")},
    };
    for (const QStringList& args : commands) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const Outcome r = runArgs(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.bytes.isEmpty());
        EXPECT_EQ(r.err, QStringLiteral("vantix: cannot read \"%1\": it holds more than 256 MB, "
                                        "the most that vantix reads\n")
                             .arg(args.last() == built ? large : args.last()));
    }
    EXPECT_FALSE(QFileInfo::exists(hive()));
    EXPECT_FALSE(QFileInfo::exists(built));
}

// Only vantix-gui has the font database; vantix hands it the commands that ask
// it and runs all others in a Qt Core application.
TEST_F(Vantix, HtmlToRtfKeepsTheFacesThatAreInstalled)
{
    const QByteArray defaultTable = run({"convert", "html2rtf", "--wrap"}, "x").bytes;
    QByteArray installed;
    for (const QString& family : QFontDatabase::families()) {
        const QByteArray name = family.toLatin1();
        if (QString::fromLatin1(name) == family && !defaultTable.contains(name)) {
            installed = name;
            break;
        }
    }
    if (installed.isEmpty())
        GTEST_SKIP() << "no font is installed besides those of the default table";
    const Outcome r =
        run({"convert", "html2rtf", "--wrap"},
            "<FONT FACE=\"" + installed + "\">a</FONT><FONT FACE=\"No Such Family 4711\">b</FONT>");
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.bytes.contains(installed)) << r.bytes.toStdString();
    EXPECT_FALSE(r.bytes.contains("No Such Family"));
}

TEST(VantixPrograms, OnlyTheCommandsThatAskTheFontDatabaseNeedQtGui)
{
    const struct
    {
        QStringList args;
        bool gui;
    } cases[] = {
        {{"convert", "html2rtf"}, true},
        {{"--yes", "convert", "--wrap", "html2rtf", "-"}, true},
        {{"convert", "txt2rtf", "page.htm"}, true},
        {{"convert", "txt2rtf", "--plain-only"}, false},
        {{"convert", "html2txt"}, false},
        {{"convert", "rtf2txt"}, false},
        {{"convert", "--help"}, false},
        {{"--registry", "convert", "settings", "get", "A", "B"}, false},
        {{"settings", "get", "convert", "html2rtf"}, false},
        {{"--version"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cli::needsGui(c.args), c.gui) << c.args.join(u' ').toStdString();
}

namespace {

QJsonObject jsonOf(const Outcome& outcome)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << outcome.out.toStdString();
    return document.object();
}

} // namespace

TEST_F(Vantix, DumpPrintsEveryFieldOfEachKindOfDataFile)
{
    makeHive();
    DataFiles::EventRecord event;
    event.Subject = QStringLiteral("Contact us \u20AC");
    event.Body = QStringLiteral("{\\rtf1 line\r\n}");
    event.EntryFlagA = -1;
    event.f5.data[0] = 0xAB;
    event.f14.lbound = 1;
    event.f14.items.resize(2);
    event.f14.items[1].f1 = QStringLiteral("x");
    const QString eventFile = dir.filePath(QStringLiteral("EMI_1.emi"));
    FileOperations::writeEventFile(eventFile, event);

    const Outcome json = runArgs({QStringLiteral("dump"), eventFile, QStringLiteral("--json")});
    EXPECT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject root = jsonOf(json);
    EXPECT_EQ(root[u"kind"].toString(), QStringLiteral("event"));
    EXPECT_EQ(json.out.count(u"0.013"), 1); // the version in its plain decimal text
    const QJsonObject record = root[u"record"].toObject();
    EXPECT_EQ(record.size(), 48);
    EXPECT_EQ(record[u"Subject"].toString(), event.Subject);
    EXPECT_EQ(record[u"Body"].toString(), event.Body);
    EXPECT_EQ(record[u"EntryFlagA"].toInt(), -1);
    EXPECT_EQ(record[u"f5"].toString(), QStringLiteral("ab") + QString(46, u'0'));
    EXPECT_EQ(record[u"f14"].toObject()[u"lbound"].toInt(), 1);
    EXPECT_EQ(record[u"f14"].toObject()[u"items"].toArray()[1].toObject()[u"f1"].toString(),
              QStringLiteral("x"));
    EXPECT_EQ(record[u"f42"].toObject()[u"items"].toArray().size(), 0);

    const Outcome text = runArgs({QStringLiteral("dump"), eventFile});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains(u"record.Subject: \"Contact us \u20AC\"\n"))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(u"record.f14: 2 from 1\n"));
    EXPECT_TRUE(text.out.contains(u"record.f14[2].f1: \"x\"\n"));

    DataFiles::ProfileRecord profile;
    profile.addresses[0].town = QStringLiteral("Leeds");
    const QString profileFile = dir.filePath(QStringLiteral("Profile.pro"));
    Routines_ProfileFile::writeProfile(profileFile, profile);
    const QJsonObject profileJson =
        jsonOf(runArgs({QStringLiteral("dump"), profileFile, QStringLiteral("--json")}));
    EXPECT_EQ(profileJson[u"kind"].toString(), QStringLiteral("profile"));
    const QJsonArray addresses = profileJson[u"record"].toObject()[u"addresses"].toArray();
    ASSERT_EQ(addresses.size(), 10);
    EXPECT_EQ(addresses[0].toObject()[u"town"].toString(), QStringLiteral("Leeds"));
    EXPECT_EQ(profileJson[u"record"].toObject()[u"contacts"].toArray().size(), 50);

    DataFiles::ShareFileContents share;
    share.a.texts[0] = QStringLiteral("Labels");
    share.b.texts[13] = QStringLiteral("Last");
    DataFiles::ShareUser user;
    user.name.text = QStringLiteral("Ann");
    share.list.users.items = {user};
    const QString shareFile = dir.filePath(QStringLiteral("Shared.bin"));
    Routines_ShareFile::writeShareFile(shareFile, share);
    const QJsonObject shareJson =
        jsonOf(runArgs({QStringLiteral("dump"), shareFile, QStringLiteral("--json")}));
    EXPECT_EQ(shareJson[u"kind"].toString(), QStringLiteral("share"));
    EXPECT_EQ(shareJson[u"directory"].toArray().size(), 4);
    EXPECT_EQ(shareJson[u"A"].toObject()[u"f1"].toString(), QStringLiteral("Labels"));
    EXPECT_EQ(shareJson[u"B"].toObject()[u"f14"].toString(), QStringLiteral("Last"));
    const QJsonArray users = shareJson[u"users"].toArray();
    ASSERT_EQ(users.size(), 1);
    EXPECT_EQ(users[0].toObject()[u"f1"].toString(), QStringLiteral("Ann").leftJustified(60));
}

TEST_F(Vantix, DumpOfAFileItCannotReadFailsAndSaysWhy)
{
    makeHive();
    DataFiles::EventRecord event;
    event.Body = QStringLiteral("body");
    const QString eventFile = dir.filePath(QStringLiteral("EMI_1.emi"));
    FileOperations::writeEventFile(eventFile, event);
    QFile file(eventFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();

    const auto writeFile = [&](const char* name, const QByteArray& contents) {
        QFile out(dir.filePath(QString::fromUtf8(name)));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
        return out.fileName();
    };
    const QString cut = writeFile("cut.emi", bytes.left(13 + 2 + 4 + 2 + 24 + 3));
    const Outcome partial = runArgs({QStringLiteral("dump"), cut, QStringLiteral("--json")});
    EXPECT_EQ(partial.status, 1);
    const QJsonObject record = jsonOf(partial)[u"record"].toObject();
    EXPECT_EQ(record.keys().size(), 5); // f1 to f5; the file ends in the body
    EXPECT_EQ(partial.err,
              QStringLiteral("vantix: %1: the file ends in field record.Body\n").arg(cut));

    struct Case
    {
        QString file;
        const char* says;
    };
    const Case cases[] = {
        {writeFile("text.txt", "hello"), "not a data file"},
        {writeFile("old.emi", QByteArray(bytes).replace(9, 4, QByteArray::fromHex("a69b443c"))),
         "old.emi: event file of version 0.012; this program reads version 0.013"},
        {dir.filePath(QStringLiteral("missing.emi")), "cannot read the file: File not found"},
    };
    for (const Case& c : cases) {
        const Outcome r = runArgs({QStringLiteral("dump"), c.file});
        EXPECT_EQ(r.status, 1) << c.says;
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
}

TEST_F(Vantix, DemoMakesAWorkspaceOnceAndPointsTheShellAtIt)
{
    const QString workspace = dir.filePath(QStringLiteral("demo"));
    const Outcome made =
        runArgs({QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                 QStringLiteral("12"), QStringLiteral("--emails"), QStringLiteral("3"),
                 QStringLiteral("--seed"), QStringLiteral("5")});
    EXPECT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, QStringLiteral("export VANTIX_REGISTRY='") + workspace +
                            QStringLiteral("/registry.sqlite3'\n"));
    EXPECT_TRUE(made.err.contains(u"12 people")) << made.err.toStdString();

    // The workspace's hive is the one the line names, not --registry's.
    EXPECT_FALSE(QFile::exists(hive()));
    QProcess get;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTIX_REGISTRY"), workspace + QStringLiteral("/registry.sqlite3"));
    get.setProcessEnvironment(env);
    get.start(QStringLiteral(VANTIX_EXECUTABLE),
              {QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Config\\Modes"),
               QStringLiteral("LastMode")});
    ASSERT_TRUE(get.waitForFinished(60'000));
    EXPECT_EQ(get.readAllStandardOutput(), QByteArray("Demo\n"));

    const Outcome again = runArgs({QStringLiteral("demo"), workspace});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(u"not empty")) << again.err.toStdString();

    for (const QStringList& wrong :
         {QStringList{QStringLiteral("demo")},
          QStringList{QStringLiteral("demo"), workspace, QStringLiteral("--contacts")},
          QStringList{QStringLiteral("demo"), workspace, QStringLiteral("--emails"),
                      QStringLiteral("-1")},
          QStringList{QStringLiteral("demo"), QStringLiteral("a"), QStringLiteral("b")}}) {
        const Outcome r = runArgs(wrong);
        EXPECT_EQ(r.status, 2) << wrong.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage: vantix demo")) << r.err.toStdString();
    }
    EXPECT_EQ(run({"demo", "--help"}).status, 0);
}

TEST_F(Vantix, PicksAreStoredListedAndRemovedAsTheFinderDoesIt)
{
    EXPECT_EQ(run({"picks", "add", "favourites",
                   "\x01"
                   "BSmith\x01"
                   "b, John",
                   "12-3"})
                  .status,
              0);
    EXPECT_EQ(run({"picks", "add", "Recent", "Jones", "7"}).status, 0);
    EXPECT_EQ(run({"picks", "add", "recent", "Jones, A", "7"}).status, 0);

    const QJsonObject lists = jsonOf(run({"picks", "list", "--json"}));
    const QJsonArray favourites = lists[QStringLiteral("favourites")].toArray();
    ASSERT_EQ(favourites.size(), 1);
    EXPECT_EQ(favourites[0][QStringLiteral("display")].toString(), QStringLiteral("Smith, John"));
    EXPECT_EQ(favourites[0][QStringLiteral("pick")].toString(), QStringLiteral("12-3"));
    const QJsonArray recent = lists[QStringLiteral("recent")].toArray();
    ASSERT_EQ(recent.size(), 1);
    EXPECT_EQ(recent[0][QStringLiteral("display")].toString(), QStringLiteral("Jones, A"));

    const Outcome text = run({"picks", "list"});
    EXPECT_EQ(text.out, QStringLiteral("Favourites:\n%1\tSmith, John\t12-3\nRecent:\n%2\tJones, "
                                       "A\t7\n")
                            .arg(favourites[0][QStringLiteral("name")].toString(),
                                 recent[0][QStringLiteral("name")].toString()));

    EXPECT_EQ(run({"picks", "remove", "favourites", "12-3"}).status, 0);
    const Outcome again = run({"picks", "remove", "favourites", "12-3"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, QStringLiteral("vantix: the favourites list holds no pick '12-3'\n"));
    EXPECT_EQ(run({"picks", "add", "others", "x", "1"}).status, 2);
    EXPECT_EQ(run({"picks", "add", "recent", "x"}).status, 2);
    EXPECT_TRUE(
        jsonOf(run({"picks", "list", "--json"}))[QStringLiteral("favourites")].toArray().isEmpty());
}

TEST_F(Vantix, CountriesAndAreaCodesOfTheDemoWorkspace)
{
    const QString workspace = dir.filePath(QStringLiteral("demo"));
    ASSERT_EQ(runArgs({QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                       QStringLiteral("30"), QStringLiteral("--emails"), QStringLiteral("0")})
                  .status,
              0);
    const auto inDemo = [&](const QStringList& args) {
        return runWith(QStringList{QStringLiteral("--registry"),
                                   workspace + QStringLiteral("/registry.sqlite3")} +
                       args);
    };

    const Outcome countries = inDemo({QStringLiteral("countries")});
    EXPECT_EQ(countries.status, 0) << countries.err.toStdString();
    EXPECT_TRUE(countries.out.startsWith(u"United Kingdom\nAfghanistan\nAlbania\n"));
    EXPECT_EQ(jsonOf(inDemo({QStringLiteral("countries"), QStringLiteral("--json")}))[u"countries"]
                  .toArray()
                  .size(),
              countries.out.count(u'\n'));

    const Outcome codes = inDemo({QStringLiteral("countries"), QStringLiteral("--codes")});
    EXPECT_EQ(codes.status, 0) << codes.err.toStdString();
    EXPECT_TRUE(codes.out.startsWith(u"+1\tCanada\n+1\tUnited States\n+1 242\tBahamas\n"))
        << codes.out.toStdString();
    EXPECT_TRUE(codes.out.contains(u"\n+44\tUnited Kingdom\n"));
    const QJsonObject codesJson = jsonOf(
        inDemo({QStringLiteral("countries"), QStringLiteral("--codes"), QStringLiteral("--json")}));
    EXPECT_EQ(codesJson[u"tabStop"].toInt(), 60);
    const QJsonArray rows = codesJson[u"rows"].toArray();
    EXPECT_EQ(rows.size(), countries.out.count(u'\n'));
    EXPECT_EQ(rows[0].toObject()[u"code"].toString(), QStringLiteral("+1"));
    EXPECT_EQ(rows[0].toObject()[u"country"].toString(), QStringLiteral("Canada"));
    EXPECT_EQ(rows[0].toObject()[u"ref"].toInt(), 32); // the 32nd country of the database

    // A contact's telephone number gives the town of its address.
    QString number;
    QString town;
    QDirIterator it(workspace + QStringLiteral("/Filing"), {QStringLiteral("Profile.pro")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (number.isEmpty() && it.hasNext()) {
        const DataFiles::ProfileRecord profile = Routines_ProfileFile::ReadProfile(it.next());
        const QString telephone = profile.TelNum();
        if (!telephone.startsWith(u"01632") && !telephone.startsWith(u"07")) {
            number = telephone;
            town = profile.addresses[0].town;
        }
    }
    ASSERT_FALSE(number.isEmpty());
    const QJsonObject found =
        jsonOf(inDemo({QStringLiteral("area-code"), number, QStringLiteral("--json")}));
    EXPECT_EQ(found[u"place"].toString(), town) << number.toStdString();
    EXPECT_EQ(found[u"country"].toString(), QStringLiteral("United Kingdom"));
    EXPECT_EQ(found[u"message"].toInt(), 0);
    const QString code = found[u"code"].toString();
    EXPECT_TRUE(number.remove(u' ').startsWith(code)) << code.toStdString();
    EXPECT_EQ(inDemo({QStringLiteral("area-code"), number}).out,
              QStringLiteral("country: United Kingdom\ncode: %1\nplace: %2\n").arg(code, town));

    struct Case
    {
        QStringList args;
        int status;
        const char* says; // on stdout, or on stderr when the command fails
    };
    const Case cases[] = {
        {{QStringLiteral("028")},
         0,
         "code: 028\nplace: Northern Ireland\nmessage: 746 Don't know the exact locale\n"},
        {{QStringLiteral("+44 17687 12345"), QStringLiteral("--country"),
          QStringLiteral("united kingdom")},
         0,
         "place: Keswick\n"},
        {{QStringLiteral("0999 123")}, 1, "message: 747 Don't know this area code\n"},
        {{QStringLiteral("0113"), QStringLiteral("--country"), QStringLiteral("Atlantis")},
         1,
         "the international database has no country 'Atlantis'"},
    };
    for (const Case& c : cases) {
        const Outcome r = inDemo(QStringList{QStringLiteral("area-code")} + c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_TRUE((c.status == 0 ? r.out : r.out + r.err).contains(QString::fromUtf8(c.says)))
            << r.out.toStdString() << r.err.toStdString();
    }

    const QString database = workspace + QStringLiteral("/Shared/International.bin");
    const QJsonObject dumped =
        jsonOf(inDemo({QStringLiteral("dump"), database, QStringLiteral("--json")}));
    EXPECT_EQ(dumped[u"kind"].toString(), QStringLiteral("international"));
    EXPECT_EQ(dumped[u"record"].toObject()[u"f3"].toObject()[u"items"].toArray().size(),
              rows.size());

    // Without the database only the settings' list is left.
    ASSERT_TRUE(QFile::remove(database));
    const Outcome missing = inDemo({QStringLiteral("countries"), QStringLiteral("--codes")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(u"is not a valid Vantix International database file"))
        << missing.err.toStdString();
    EXPECT_EQ(inDemo({QStringLiteral("countries")}).out, countries.out);

    for (const QStringList& wrong :
         {QStringList{QStringLiteral("area-code")},
          QStringList{QStringLiteral("area-code"), QStringLiteral("1"), QStringLiteral("2")},
          QStringList{QStringLiteral("area-code"), QStringLiteral("1"),
                      QStringLiteral("--country")},
          QStringList{QStringLiteral("countries"), QStringLiteral("x")},
          QStringList{QStringLiteral("countries"), QStringLiteral("--code")}}) {
        const Outcome r = inDemo(wrong);
        EXPECT_EQ(r.status, 2) << wrong.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage: vantix ")) << r.err.toStdString();
    }
}
