// SPDX-License-Identifier: GPL-3.0-or-later
// vantix index and the dump of index files as a user runs them: real
// processes on a small demo workspace, whose index `vantix demo` builds.
#include "VantixProcess.h"
#include "datafiles/DataFile.h"
#include "index/TaskFile.h"
#include "platform/File.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <unistd.h>

namespace {

using Testing::Outcome;

// Every telephone number of the demo starts 01632 960, 020 7946 0 or
// 07700 900: the word 01632 fills one long chain with hits of every kind.
const QString PhoneClue = QStringLiteral("01632");

class IndexCommands : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString workspace = dir.filePath(QStringLiteral("demo"));

    void SetUp() override
    {
        const Outcome made =
            run({QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                 QStringLiteral("40"), QStringLiteral("--emails"), QStringLiteral("0"),
                 QStringLiteral("--seed"), QStringLiteral("7")});
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
    }

    QString index(const char* file) const
    {
        return workspace + QStringLiteral("/Index/") + QLatin1String(file);
    }

    Outcome run(const QStringList& args)
    {
        return Testing::runVantix(QStringList{QStringLiteral("--registry"),
                                              workspace + QStringLiteral("/registry.sqlite3")} +
                                      args,
                                  {}, environment);
    }

    // The task file of the test's own.
    QProcessEnvironment environment = [this] {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
        return e;
    }();

    QJsonObject json(const QStringList& args, int status = 0)
    {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, status) << args.join(u' ').toStdString() << "\n" << r.err.toStdString();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        return document.object();
    }

    QJsonObject search(const QString& clue, QStringList options = {}, int status = 0)
    {
        return json(QStringList{QStringLiteral("index"), QStringLiteral("search"), clue,
                                QStringLiteral("--json")} +
                        options,
                    status);
    }

    // The first company of the filing tree: its name and reference.
    std::pair<QString, QString> firstCompany() const
    {
        static const QRegularExpression named(QStringLiteral("^(.*) \\[([0-9]+)\\]$"));
        const QDir filing(workspace + QStringLiteral("/Filing"));
        for (const QString& folder : filing.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QRegularExpressionMatch match = named.match(folder);
            // A company holds its people; a person of no company holds nothing.
            if (match.hasMatch() && !folder.startsWith(u"New Contacts") &&
                !QDir(filing.filePath(folder))
                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                     .isEmpty())
                return {match.captured(1), match.captured(2)};
        }
        return {};
    }
};

QList<QJsonObject> rowsOf(const QJsonObject& result)
{
    QList<QJsonObject> rows;
    for (const QJsonValue& row : result[QStringLiteral("rows")].toArray())
        rows << row.toObject();
    return rows;
}

} // namespace

TEST_F(IndexCommands, SearchGivesTheFindersRowsRankedAndTheRebuildGivesTheSame)
{
    const auto [company, ref] = firstCompany();
    ASSERT_FALSE(company.isEmpty());
    const QString word = company.section(QLatin1Char(' '), 0, 0);

    const QJsonObject result = search(word, {QStringLiteral("--fields"), QStringLiteral("Name")});
    const QList<QJsonObject> rows = rowsOf(result);
    EXPECT_EQ(result[QStringLiteral("hits")].toInt(), rows.size());
    EXPECT_GE(result[QStringLiteral("traffic")].toInt(), 240 + 1038);
    EXPECT_TRUE(result[QStringLiteral("skipped")].toArray().isEmpty());

    bool found = false;
    QString previous;
    for (const QJsonObject& row : rows) {
        const QString data = row[QStringLiteral("data")].toString();
        const QString rowRef = row[QStringLiteral("ref")].toString();
        const int rank = row[QStringLiteral("rank")].toInt();
        EXPECT_EQ(rank, 100 - data.left(3).toInt()) << data.toStdString();
        EXPECT_TRUE(data.endsWith(QChar(1) + rowRef)) << data.toStdString();
        EXPECT_LT(previous, data) << "rows stand in the order of their data texts";
        previous = data;
        const QString display = row[QStringLiteral("display")].toString();
        EXPECT_FALSE(display.contains(QChar(1))) << display.toStdString();
        if (rowRef != ref)
            continue;
        found = true;
        // The company's name ranks as a whole name or as its first word.
        EXPECT_EQ(rank, company == word ? 100 : 97);
        EXPECT_EQ(row[QStringLiteral("kind")].toInt(), 3);
        EXPECT_TRUE(display.startsWith(company + QLatin1Char('\t'))) << display.toStdString();
        EXPECT_TRUE(display.endsWith(QStringLiteral("(%1)").arg(ref))) << display.toStdString();
    }
    EXPECT_TRUE(found) << company.toStdString();

    // The text form: a row a line (the rank in three places, the display
    // with each tab as two blanks), then the finder's status line.
    const Outcome text = run({QStringLiteral("index"), QStringLiteral("search"), word,
                              QStringLiteral("--fields"), QStringLiteral("1")});
    EXPECT_EQ(text.status, 0);
    const QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), rows.size() + 1) << text.out.toStdString();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QString display = rows[i][QStringLiteral("display")].toString();
        EXPECT_EQ(lines[i],
                  QStringLiteral("%1  %2")
                      .arg(rows[i][QStringLiteral("rank")].toInt(), 3)
                      .arg(display.replace(QLatin1Char('\t'), QLatin1String("  ")).trimmed()));
    }
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Found %1 hit(s).").arg(rows.size())))
        << text.out.toStdString();
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("Zzqx")})
                  .out.trimmed(),
              QStringLiteral("No matches found."));

    // A rebuild of the same tree gives the same rows.
    const Outcome rebuilt = run({QStringLiteral("index"), QStringLiteral("rebuild")});
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.err.toStdString();
    EXPECT_TRUE(rebuilt.err.contains(u"100%")) << rebuilt.err.toStdString();
    EXPECT_EQ(rowsOf(search(word, {QStringLiteral("--fields"), QStringLiteral("1")})), rows);
}

// An index that several users share keeps its rights however often it is
// rebuilt, and every rebuild leaves a whole index with nothing beside it,
// not even what an earlier writer that was killed left.
TEST_F(IndexCommands, ARebuildTwiceVerifiesCleanAndKeepsEachFilesRights)
{
    const std::pair<const char*, QFile::Permissions> files[] = {
        {"Name.bin", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                         QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther |
                         QFile::WriteOther},
        {"Pcode.bin", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                          QFile::ReadGroup},
    };
    for (const auto& [file, permissions] : files)
        ASSERT_TRUE(QFile::setPermissions(index(file), permissions));
    // What a writer killed part way left: named by verify, removed by the
    // next writer of its index.
    QFile left(index(".UD1.bin.elsewhere.4242.beef.tmp"));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(QByteArray(50'000, 'x'));
    left.close();
    const Outcome named = run({QStringLiteral("index"), QStringLiteral("verify")});
    EXPECT_EQ(named.status, 0);
    EXPECT_TRUE(named.out.contains(u"  .UD1.bin.elsewhere.4242.beef.tmp (48.8KB): left by a "
                                   u"writer that was stopped; the next writer of UD1.bin removes "
                                   u"it\n"))
        << named.out.toStdString();
    for (int round = 1; round <= 2; ++round) {
        const Outcome rebuilt = run({QStringLiteral("index"), QStringLiteral("rebuild")});
        EXPECT_EQ(rebuilt.status, 0) << rebuilt.err.toStdString();
    }
    const Outcome verified = run({QStringLiteral("index"), QStringLiteral("verify")});
    EXPECT_EQ(verified.status, 0) << verified.out.toStdString();
    EXPECT_FALSE(verified.out.contains(u"problem")) << verified.out.toStdString();
    for (const auto& [file, permissions] : files)
        EXPECT_EQ(QFile::permissions(index(file)), permissions) << file;
    EXPECT_EQ(QDir(workspace + QStringLiteral("/Index")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"Name.bin", "Pcode.bin", "TelNum.bin", "UD1.bin"}));
}

TEST_F(IndexCommands, TypesAndTheHitLimit)
{
    const QStringList phones{QStringLiteral("--fields"), QStringLiteral("TelNum")};
    const QList<QJsonObject> all = rowsOf(search(PhoneClue, phones));
    ASSERT_GT(all.size(), 40);

    // Each kind alone gives exactly the rows of that kind.
    QSet<int> kinds;
    for (const QJsonObject& row : all)
        kinds << row[QStringLiteral("kind")].toInt();
    EXPECT_GE(kinds.size(), 2);
    for (const int kind : kinds) {
        const QString letter = QString(QStringLiteral("NOCF")[kind - 1]);
        QList<QJsonObject> expected;
        for (const QJsonObject& row : all) {
            if (row[QStringLiteral("kind")].toInt() == kind)
                expected << row;
        }
        EXPECT_EQ(rowsOf(search(PhoneClue,
                                phones + QStringList{QStringLiteral("--types"), letter.toLower()})),
                  expected)
            << kind;
    }

    // Past the limit the search stops between records, without asking.
    const QStringList limited =
        QStringList{QStringLiteral("index"),  QStringLiteral("search"),  PhoneClue,
                    QStringLiteral("--json"), QStringLiteral("--limit"), QStringLiteral("5")} +
        phones;
    const Outcome stopped = run(limited);
    EXPECT_EQ(stopped.status, 0);
    EXPECT_FALSE(stopped.err.contains(u"Please confirm")) << stopped.err.toStdString();
    EXPECT_TRUE(stopped.err.contains(u"hit limit of 5")) << stopped.err.toStdString();
    const int rows = rowsOf(QJsonDocument::fromJson(stopped.out.toUtf8()).object()).size();
    EXPECT_GT(rows, 5);
    EXPECT_LT(rows, all.size());
    // --yes does not make the command ask either.
    const Outcome yes = run(QStringList{QStringLiteral("--yes")} + limited);
    EXPECT_EQ(rowsOf(QJsonDocument::fromJson(yes.out.toUtf8()).object()).size(), rows);
}

TEST_F(IndexCommands, VerifyLockAndDamage)
{
    const Outcome clean = run({QStringLiteral("index"), QStringLiteral("verify")});
    EXPECT_EQ(clean.status, 0) << clean.out.toStdString();
    for (const char* file : {"Name.bin", "Pcode.bin", "TelNum.bin", "UD1.bin"})
        EXPECT_TRUE(clean.out.contains(QLatin1String(file) + QLatin1String(": "))) << file;

    // An index locked by a command that has ended is left locked: nobody
    // works on it, so it is searched with a line that says so.
    const QJsonObject free = search(PhoneClue);
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("lock"), QStringLiteral("2")}).status,
              0);
    const Outcome locked = run(
        {QStringLiteral("index"), QStringLiteral("search"), PhoneClue, QStringLiteral("--json")});
    EXPECT_EQ(locked.status, 0);
    EXPECT_EQ(rowsOf(QJsonDocument::fromJson(locked.out.toUtf8()).object()), rowsOf(free));
    EXPECT_EQ(locked.err.toStdString(),
              QStringLiteral("vantix: The 'Postcode' index was left locked for "
                             "maintenance, though nobody is working on it, so it was "
                             "searched as it stands. A rebuild of the index frees "
                             "it.\n")
                  .toStdString());
    EXPECT_TRUE(run({QStringLiteral("index"), QStringLiteral("verify"), QStringLiteral("Pcode")})
                    .out.contains(u"locked for maintenance"));
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("unlock"), QStringLiteral("pcode.bin")})
                  .status,
              0);
    EXPECT_TRUE(search(PhoneClue)[QStringLiteral("skipped")].toArray().isEmpty());

    // A table pointer out of the file, and a file cut short in its last record.
    QFile name(index("Name.bin"));
    ASSERT_TRUE(name.open(QIODevice::ReadWrite));
    name.seek(15 + 4 * 3);
    name.write(QByteArray("\xff\xff\xff\x7f", 4));
    name.close();
    QFile phones(index("TelNum.bin"));
    ASSERT_TRUE(phones.resize(phones.size() - 500));

    const Outcome damaged = run({QStringLiteral("index"), QStringLiteral("verify")});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.out.contains(u"Entry 4 of the root table")) << damaged.out.toStdString();
    EXPECT_TRUE(damaged.out.contains(u"TelNum.bin")) << damaged.out.toStdString();
    // A search that meets the damage keeps what it found and names the index.
    const QJsonObject broken = search(QStringLiteral("Day"), {}, 1);
    const QJsonArray brokenSkipped = broken[QStringLiteral("skipped")].toArray();
    ASSERT_EQ(brokenSkipped.size(), 1);
    EXPECT_EQ(brokenSkipped[0][QStringLiteral("index")].toString(), QStringLiteral("Name"));
    EXPECT_TRUE(brokenSkipped[0][QStringLiteral("message")].toString().contains(u"damaged"));
    EXPECT_EQ(
        run({QStringLiteral("index"), QStringLiteral("verify"), QStringLiteral("UD1")}).status, 0);
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("verify"), index("TelNum.bin")}).status,
              1);
}

TEST_F(IndexCommands, DumpSumsUpAnIndexAndListsTheTasks)
{
    const QJsonObject dumped =
        json({QStringLiteral("dump"), index("TelNum.bin"), QStringLiteral("--json")});
    EXPECT_EQ(dumped[QStringLiteral("kind")].toString(), QStringLiteral("index"));
    EXPECT_EQ(dumped[QStringLiteral("version")].toDouble(), 0.007);
    EXPECT_EQ(dumped[QStringLiteral("flag")].toInt(), 0);
    // The same counts as verify's.
    const Outcome verified =
        run({QStringLiteral("index"), QStringLiteral("verify"), QStringLiteral("3")});
    EXPECT_TRUE(verified.out.contains(QStringLiteral("TelNum.bin: %1 cells, %2 records, %3 entries")
                                          .arg(dumped[QStringLiteral("cells")].toInt())
                                          .arg(dumped[QStringLiteral("records")].toInt())
                                          .arg(dumped[QStringLiteral("entries")].toInt())))
        << verified.out.toStdString();
    EXPECT_GT(dumped[QStringLiteral("entries")].toInt(), dumped[QStringLiteral("cells")].toInt());

    Indexing::IndexTask first;
    first.f1 = 9;
    first.Action = 2;
    first.Ref = QStringLiteral("12-3");
    first.Kind = 3;
    first.Mode = QStringLiteral("Demo");
    first.Values = {QStringLiteral("Acme"), QString(), QStringLiteral("01632 960001"), QString()};
    first.Folder = QStringLiteral("/filing/Acme [12]");
    Indexing::IndexTask second;
    second.Action = 1;
    DataFiles::RecordWriter writer;
    writer.writeRaw(DataFiles::headerBytes(Indexing::IndexTaskFileKind));
    writer.write(first);
    writer.write(second);
    QFile tasks(dir.filePath(QStringLiteral("taskfile.bin")));
    ASSERT_TRUE(tasks.open(QIODevice::WriteOnly));
    tasks.write(writer.bytes());
    tasks.close();

    const QJsonObject listed =
        json({QStringLiteral("dump"), tasks.fileName(), QStringLiteral("--json")});
    EXPECT_EQ(listed[QStringLiteral("kind")].toString(), QStringLiteral("tasks"));
    EXPECT_EQ(listed[QStringLiteral("version")].toDouble(), 0.005);
    const QJsonArray list = listed[QStringLiteral("tasks")].toArray();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toObject(),
              (QJsonObject{
                  {QStringLiteral("f1"), 9},
                  {QStringLiteral("Action"), 2},
                  {QStringLiteral("Ref"), QStringLiteral("12-3")},
                  {QStringLiteral("Kind"), 3},
                  {QStringLiteral("Mode"), QStringLiteral("Demo")},
                  {QStringLiteral("Values"), QJsonArray{QStringLiteral("Acme"), QString(),
                                                        QStringLiteral("01632 960001"), QString()}},
                  {QStringLiteral("Folder"), QStringLiteral("/filing/Acme [12]")}}));
    EXPECT_EQ(list[1][QStringLiteral("Action")].toInt(), 1);

    // A task cut short is printed as far as it goes, and named.
    ASSERT_TRUE(tasks.resize(tasks.size() - 3));
    const Outcome cut = run({QStringLiteral("dump"), tasks.fileName()});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.out.contains(u"tasks[0].Folder: \"/filing/Acme [12]\""))
        << cut.out.toStdString();
    EXPECT_TRUE(cut.err.contains(u"tasks[1]")) << cut.err.toStdString();
}

// A company folder that cannot be read (mode 000; where the tests run as
// root, who reads everything, the rebuild runs as another user) is named on
// stderr and counted in the summary line, and the rebuild fails.
TEST_F(IndexCommands, ARebuildNamesEveryFolderItCannotReadAndFails)
{
    const auto [name, ref] = firstCompany();
    const QString shut = workspace + QStringLiteral("/Filing/%1 [%2]").arg(name, ref);
    ASSERT_TRUE(QFile::setPermissions(shut, {}));
    QProcess rebuild;
    if (::geteuid() == 0) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ExeOwner | QFile::ReadOther |
                                                          QFile::ExeOther));
        QDirIterator files(workspace, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDirIterator::Subdirectories);
        ASSERT_EQ(::chown(QFile::encodeName(workspace).constData(), 65534, 65534), 0);
        while (files.hasNext())
            ASSERT_EQ(::lchown(QFile::encodeName(files.next()).constData(), 65534, 65534), 0);
        rebuild.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
    }
    rebuild.start(QStringLiteral(VANTIX_EXECUTABLE),
                  {QStringLiteral("--registry"), workspace + QStringLiteral("/registry.sqlite3"),
                   QStringLiteral("index"), QStringLiteral("rebuild")});
    ASSERT_TRUE(rebuild.waitForFinished(120'000));
    QFile::setPermissions(shut, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString err = QString::fromUtf8(rebuild.readAllStandardError());
    EXPECT_EQ(rebuild.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("vantix: The folder \"%1\" could not be read "
                                            "(Permission denied), so what it holds is missing "
                                            "from the index. Make it readable, then rebuild the "
                                            "index.\n")
                                 .arg(shut)))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QRegularExpression(
        QStringLiteral("\nRebuilt the .* indexes in [0-9.,]+ s; 1 folder could not be read\n"))))
        << err.toStdString();
}

// new-contact carries out its tasks at once; when one is left (an index
// held by another user's rebuild), it says so and exits with 1.
TEST_F(IndexCommands, NewContactFailsWhenItsTaskIsLeft)
{
    std::optional<Platform::File> held = Platform::File::claim(index("TelNum.bin"));
    ASSERT_TRUE(held);
    const Outcome left = run(
        {QStringLiteral("new-contact"), QStringLiteral("--name"), QStringLiteral("Wanda Wright")});
    EXPECT_EQ(left.status, 1);
    EXPECT_TRUE(left.err.contains(u"left for later")) << left.err.toStdString();
    held.reset();
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("tasks"), QStringLiteral("run")}).status,
              0);
    EXPECT_EQ(rowsOf(search(QStringLiteral("Wanda"))).size(), 1);
}

TEST_F(IndexCommands, WrongUsage)
{
    const QStringList wrong[] = {
        {QStringLiteral("index")},
        {QStringLiteral("index"), QStringLiteral("mend")},
        {QStringLiteral("index"), QStringLiteral("search")},
        {QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("a"),
         QStringLiteral("b")},
        {QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("a"),
         QStringLiteral("--limit"), QStringLiteral("0")},
        {QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("a"),
         QStringLiteral("--limit")},
        {QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("a"),
         QStringLiteral("--types"), QStringLiteral("NX")},
        {QStringLiteral("index"), QStringLiteral("search"), QStringLiteral("a"),
         QStringLiteral("--fields"), QStringLiteral("1,5")},
        {QStringLiteral("index"), QStringLiteral("rebuild"), QStringLiteral("--fields"),
         QStringLiteral("Phone")},
        {QStringLiteral("index"), QStringLiteral("verify"), QStringLiteral("1"),
         QStringLiteral("2")},
        {QStringLiteral("index"), QStringLiteral("lock")},
    };
    for (const QStringList& args : wrong) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage: vantix index")) << r.err.toStdString();
    }
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("--help")}).status, 0);
    EXPECT_EQ(
        run({QStringLiteral("index"), QStringLiteral("lock"), QStringLiteral("Other")}).status, 1);
}
