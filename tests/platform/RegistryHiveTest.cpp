// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryHive.h"

#include "TestSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <grp.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using Platform::HiveError;
using Platform::RegistryHive;
using testing::HasSubstr;

static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// A hive of its own in a fresh folder.
struct TempHive
{
    TempHive() : path(dir.filePath(QStringLiteral("hive.sqlite3"))), hive(RegistryHive::open(path))
    {}

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<RegistryHive> hive;
};

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void runSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

int readIntPragma(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    const int value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

QString openError(const QString& path)
{
    try {
        RegistryHive::open(path);
    } catch (const HiveError& error) {
        return error.message();
    }
    return {};
}

QString importError(RegistryHive& hive, const QString& text)
{
    try {
        hive.importText(text);
    } catch (const HiveError& error) {
        return error.message();
    }
    return {};
}

QString withNul(const char* before, const char* after)
{
    return QString::fromUtf8(before) + QChar(0) + QString::fromUtf8(after);
}

} // namespace

TEST(RegistryHive, PathSpellingsNameTheSameKey)
{
    TempHive t;
    t.hive->setValue(QStringLiteral("\\Soft\\App\\"), QStringLiteral("v"), QStringLiteral("1"));

    for (const char* spelling :
         {"Soft\\App", "\\Soft\\App", "Soft\\App\\", "Soft\\\\App", "\\\\soft\\\\\\app\\\\"}) {
        SCOPED_TRACE(spelling);
        const QString path = QString::fromUtf8(spelling);
        EXPECT_TRUE(t.hive->keyExists(path));
        EXPECT_EQ(t.hive->value(path, QStringLiteral("v")), QStringLiteral("1"));
    }
    for (const char* root : {"", "\\", "\\\\"})
        EXPECT_EQ(t.hive->subKeys(QString::fromUtf8(root)), QStringList{QStringLiteral("Soft")});
    EXPECT_TRUE(t.hive->keyExists(QString()));
    EXPECT_FALSE(t.hive->keyExists(QStringLiteral("Soft\\Ap")));
    EXPECT_FALSE(t.hive->keyExists(QStringLiteral("SoftApp")));
}

TEST(RegistryHive, NamesIgnoreCaseAndKeepTheFirstSpelling)
{
    struct Case
    {
        QString created;
        QString sameName;
        QString otherName;
    };
    const Case cases[] = {
        {QStringLiteral("Name"), QStringLiteral("nAME"), QStringLiteral("Names")},
        {QStringLiteral("été"), QStringLiteral("ÉTÉ"), QStringLiteral("ete")},
        // One character never folds into two: "ß" and "SS" stay apart.
        {QStringLiteral("straße"), QStringLiteral("STRAßE"), QStringLiteral("STRASSE")},
        {QStringLiteral("ıi"), QStringLiteral("II"), QStringLiteral("IJ")},
        // Deseret small and capital long I, outside the BMP.
        {QStringLiteral("\U00010428x"), QStringLiteral("\U00010400X"),
         QStringLiteral("\U00010429x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.created.toStdString());
        TempHive t;
        RegistryHive& hive = *t.hive;

        hive.setValue(c.created, c.created, QStringLiteral("first"));
        hive.setValue(c.sameName, c.sameName, QStringLiteral("second"));
        hive.createKey(c.sameName);
        EXPECT_EQ(hive.subKeys(QString()), QStringList{c.created});
        EXPECT_EQ(hive.valueNames(c.sameName), QStringList{c.created});
        EXPECT_EQ(hive.value(c.created, c.created), QStringLiteral("second"));

        EXPECT_FALSE(hive.keyExists(c.otherName));
        EXPECT_EQ(hive.value(c.created, c.otherName), std::nullopt);

        hive.deleteValue(c.sameName, c.sameName);
        EXPECT_TRUE(hive.valueNames(c.created).isEmpty());
    }
}

// A tag linked again under another spelling is stored as spelt now.
TEST(RegistryHive, ReplaceValueSpellsTheNameAnewAndPutsItLast)
{
    TempHive t;
    RegistryHive& hive = *t.hive;
    const QString key = QStringLiteral("K");
    hive.setValue(key, QStringLiteral("Name"), QStringLiteral("1"));
    hive.setValue(key, QStringLiteral("Other"), QStringLiteral("2"));

    hive.replaceValue(key, QStringLiteral("NAME"), QStringLiteral("3"));
    hive.replaceValue(key, QStringLiteral("New"), QStringLiteral("KILL"));
    EXPECT_EQ(hive.valueNames(key), (QStringList{QStringLiteral("Other"), QStringLiteral("NAME"),
                                                 QStringLiteral("New")}));
    EXPECT_EQ(hive.value(key, QStringLiteral("name")), QStringLiteral("3"));
    EXPECT_EQ(hive.value(key, QStringLiteral("new")), QStringLiteral("KILL"));
}

TEST(RegistryHive, EmptyTextIsAValueWithoutData)
{
    TempHive t;
    RegistryHive& hive = *t.hive;
    hive.setValue(QStringLiteral("K"), QStringLiteral("none"), QString());
    hive.setValue(QStringLiteral("K"), QStringLiteral("was"), QStringLiteral("x"));
    hive.setValue(QStringLiteral("K"), QStringLiteral("was"), QStringLiteral(""));

    EXPECT_EQ(hive.valueNames(QStringLiteral("K")),
              (QStringList{QStringLiteral("none"), QStringLiteral("was")}));
    EXPECT_EQ(hive.value(QStringLiteral("K"), QStringLiteral("none")), std::nullopt);
    EXPECT_EQ(hive.value(QStringLiteral("K"), QStringLiteral("was")), std::nullopt);
    EXPECT_EQ(hive.value(QStringLiteral("K"), QStringLiteral("missing")), std::nullopt);
    EXPECT_EQ(hive.value(QStringLiteral("Missing"), QStringLiteral("none")), std::nullopt);

    // The unnamed value is a name like any other.
    hive.setValue(QStringLiteral("K"), QString(), QStringLiteral("default"));
    EXPECT_EQ(hive.value(QStringLiteral("K"), QString()), QStringLiteral("default"));
}

TEST(RegistryHive, SubKeysSortByFoldedNameAndValuesByCreation)
{
    TempHive t;
    RegistryHive& hive = *t.hive;
    for (const char* name : {"charlie", "Bravo", "Ärger", "alpha", "Delta", "a b"})
        hive.createKey(QStringLiteral("K\\") + QString::fromUtf8(name));
    const QStringList sorted{QStringLiteral("a b"),   QStringLiteral("alpha"),
                             QStringLiteral("Bravo"), QStringLiteral("charlie"),
                             QStringLiteral("Delta"), QStringLiteral("Ärger")};
    EXPECT_EQ(hive.subKeys(QStringLiteral("k")), sorted);

    for (const char* name : {"z", "a", "M", "b"})
        hive.setValue(QStringLiteral("K"), QString::fromUtf8(name), QStringLiteral("1"));
    hive.setValue(QStringLiteral("K"), QStringLiteral("A"), QStringLiteral("2"));
    hive.deleteValue(QStringLiteral("K"), QStringLiteral("M"));
    hive.setValue(QStringLiteral("K"), QStringLiteral("m"), QStringLiteral("3"));
    EXPECT_EQ(hive.valueNames(QStringLiteral("K")),
              (QStringList{QStringLiteral("z"), QStringLiteral("a"), QStringLiteral("b"),
                           QStringLiteral("m")}));
    EXPECT_TRUE(hive.subKeys(QStringLiteral("Missing")).isEmpty());
    EXPECT_TRUE(hive.valueNames(QStringLiteral("Missing")).isEmpty());
}

TEST(RegistryHive, DeleteKeyRemovesExactlyItsSubtree)
{
    TempHive t;
    RegistryHive& hive = *t.hive;
    hive.setValue(QString(), QStringLiteral("rootValue"), QStringLiteral("r"));
    hive.setValue(QStringLiteral("A"), QStringLiteral("v"), QStringLiteral("1"));
    hive.setValue(QStringLiteral("A\\B\\C"), QStringLiteral("v"), QStringLiteral("1"));
    // Siblings that sort right next to "A" and its range of descendants.
    const QStringList siblings{QStringLiteral("AB"), QStringLiteral("A B"), QStringLiteral("A]"),
                               QStringLiteral("A^"), withNul("A", "")};
    for (const QString& sibling : siblings)
        hive.setValue(sibling, QStringLiteral("v"), QStringLiteral("kept"));

    hive.deleteKey(QStringLiteral("a"));
    hive.deleteKey(QStringLiteral("Missing\\Key"));
    EXPECT_FALSE(hive.keyExists(QStringLiteral("A")));
    EXPECT_FALSE(hive.keyExists(QStringLiteral("A\\B")));
    for (const QString& sibling : siblings)
        EXPECT_EQ(hive.value(sibling, QStringLiteral("v")), QStringLiteral("kept"))
            << sibling.toStdString();

    hive.createKey(QStringLiteral("A\\B"));
    EXPECT_TRUE(hive.valueNames(QStringLiteral("A")).isEmpty());
    EXPECT_TRUE(hive.subKeys(QStringLiteral("A\\B")).isEmpty());

    hive.deleteKey(QStringLiteral("\\"));
    EXPECT_TRUE(hive.keyExists(QString()));
    EXPECT_TRUE(hive.subKeys(QString()).isEmpty());
    EXPECT_TRUE(hive.valueNames(QString()).isEmpty());
    hive.setValue(QStringLiteral("A"), QStringLiteral("v"), QStringLiteral("again"));
    EXPECT_EQ(hive.value(QStringLiteral("A"), QStringLiteral("v")), QStringLiteral("again"));
}

TEST(RegistryHive, NamesAndDataHoldAnyCharacters)
{
    const QStringList names{
        QStringLiteral("'"),
        QStringLiteral("%"),
        QStringLiteral("_"),
        QStringLiteral(";--"),
        QStringLiteral("x'); DROP TABLE hive_values; --"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("line\r\nbreak"),
        withNul("nul", "inside"),
        QStringLiteral("emoji \U0001F600"),
        QString(100000, QLatin1Char('n')),
    };
    TempHive t;
    RegistryHive& hive = *t.hive;
    for (const QString& name : names) {
        hive.setValue(QStringLiteral("Values"), name, name + withNul("|", "data"));
        hive.createKey(QStringLiteral("Keys\\") + name);
    }
    const QString slashed = QStringLiteral("back\\slash");
    hive.setValue(QStringLiteral("Values"), slashed, slashed);

    EXPECT_EQ(hive.valueNames(QStringLiteral("Values")), names + QStringList{slashed});
    for (const QString& name : names) {
        EXPECT_EQ(hive.value(QStringLiteral("Values"), name), name + withNul("|", "data"));
        EXPECT_TRUE(hive.keyExists(QStringLiteral("Keys\\") + name));
    }
    EXPECT_EQ(hive.value(QStringLiteral("Values"), slashed), slashed);
    EXPECT_EQ(hive.subKeys(QStringLiteral("Keys")).size(), names.size());
    // Wildcards and quotes match only themselves.
    EXPECT_FALSE(hive.keyExists(QStringLiteral("Keys\\a")));
    EXPECT_EQ(hive.value(QStringLiteral("Values"), QStringLiteral("a")), std::nullopt);
    EXPECT_EQ(hive.value(QStringLiteral("Values"), withNul("nul", "")), std::nullopt);
}

TEST(RegistryHive, TwoHivesOnOneFileSeeEachOthersWrites)
{
    TempHive t;
    const auto other = RegistryHive::open(t.path);

    t.hive->setValue(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("1"));
    EXPECT_EQ(other->value(QStringLiteral("k"), QStringLiteral("V")), QStringLiteral("1"));
    other->setValue(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("2"));
    other->setValue(QStringLiteral("K"), QStringLiteral("w"), QStringLiteral("3"));
    EXPECT_EQ(t.hive->value(QStringLiteral("K"), QStringLiteral("v")), QStringLiteral("2"));
    EXPECT_EQ(t.hive->valueNames(QStringLiteral("K")),
              (QStringList{QStringLiteral("v"), QStringLiteral("w")}));
    t.hive->deleteKey(QStringLiteral("K"));
    EXPECT_FALSE(other->keyExists(QStringLiteral("K")));
}

TEST(RegistryHive, AMissingFileBecomesAHiveWithItsFolders)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("new/folders/hive.sqlite3"));
    const auto made = RegistryHive::open(missing);
    EXPECT_TRUE(made->created());
    made->setValue(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("1"));
    const auto again = RegistryHive::open(missing);
    EXPECT_FALSE(again->created());
    EXPECT_EQ(again->value(QStringLiteral("K"), QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_EQ(readIntPragma(missing, "PRAGMA application_id"), 0x56584852);
    EXPECT_EQ(readIntPragma(missing, "PRAGMA user_version"), 1);
    // Made under another name and then named: nothing of the making is left beside it.
    EXPECT_EQ(QDir(QFileInfo(missing).path()).entryList({QStringLiteral("*.new-*")}, QDir::Files),
              QStringList());
}

TEST(RegistryHive, FilesOfOthersAreRefusedAndLeftUntouched)
{
    struct Case
    {
        const char* name;
        const char* sql; // run on a fresh database; null: `bytes` is the file
        QByteArray bytes;
        const char* complaint;
    };
    const Case cases[] = {
        {"empty", nullptr, {}, "is not a settings hive (it is empty)"},
        {"text", nullptr, "just some text\n", "is not a settings hive (file is not a database)"},
        {"short", nullptr, "SQLite", "is not a settings hive (file is not a database)"},
        {"no tables", "CREATE TABLE t(x); DROP TABLE t;", {}, "a database that holds nothing"},
        {"tables",
         "CREATE TABLE notes(x); INSERT INTO notes VALUES(1);",
         {},
         "holds the tables of another program"},
        {"appid", "PRAGMA application_id = 42;", {}, "belongs to another program"},
        {"lookalike",
         "PRAGMA application_id = 1448626258; PRAGMA user_version = 1; CREATE TABLE hive_keys(x);",
         {},
         "tables are not those of a settings hive"},
        {"newer",
         "PRAGMA application_id = 1448626258; PRAGMA user_version = 2; CREATE TABLE t(x);",
         {},
         "newer version"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other \"%1\".db"));
        if (c.sql)
            runSql(path, c.sql);
        else
            writeBytes(path, c.bytes);
        const QByteArray before = readBytes(path);

        const QString message = openError(path);
        EXPECT_THAT(message.toStdString(), HasSubstr("\"" + path.toStdString() + "\""));
        EXPECT_THAT(message.toStdString(), HasSubstr(c.complaint));
        EXPECT_EQ(readBytes(path), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
    }
}

namespace {

// Runs `body` in a child process as a user who may not write what is read-only: root writes
// such files regardless, so a root process drops to "nobody", after giving it `folder`.
// Returns what the body returned, or the message of the HiveError it threw.
QString asPlainUser(const QString& folder, const std::function<QString()>& body)
{
    constexpr uid_t Nobody = 65534;
    const bool root = geteuid() == 0;
    if (root && chown(QFile::encodeName(folder).constData(), Nobody, Nobody) != 0)
        return QStringLiteral("cannot give the folder away");
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        if (root && (setgroups(0, nullptr) != 0 || setresgid(Nobody, Nobody, Nobody) != 0 ||
                     setresuid(Nobody, Nobody, Nobody) != 0))
            _exit(3);
        QByteArray said;
        try {
            said = body().toUtf8();
        } catch (const HiveError& error) {
            said = error.message().toUtf8();
        }
        for (qsizetype done = 0; done < said.size();) {
            const ssize_t n =
                write(pipeEnds[1], said.constData() + done, size_t(said.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    QByteArray heard;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        heard.append(buffer, n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child failed (status %1)").arg(status);
    return QString::fromUtf8(heard);
}

QString setValueError(RegistryHive& hive)
{
    try {
        hive.setValue(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("2"));
    } catch (const HiveError& error) {
        return error.message();
    }
    return QStringLiteral("written");
}

QStringList companions(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*-shm"), QStringLiteral("*-wal")}, QDir::Files);
}

} // namespace

// A spell of being read-only must leave nothing behind that keeps the hive read-only later.
TEST(RegistryHive, ReadOnlyHiveReadsButRefusesWritesAndRecovers)
{
    struct Case
    {
        const char* name;
        bool fileReadOnly;
        bool folderReadOnly;
    };
    for (const Case c :
         {Case{"file", true, false}, Case{"folder", false, true}, Case{"both", true, true}}) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hive.sqlite3"));
        const QString said = asPlainUser(dir.path(), [&] {
            RegistryHive::open(path)->setValue(QStringLiteral("K"), QStringLiteral("v"),
                                               QStringLiteral("1"));
            const auto writable = QFile::permissions(dir.path());
            if (c.fileReadOnly)
                QFile::setPermissions(path, QFile::ReadOwner);
            if (c.folderReadOnly)
                QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
            QStringList report;
            {
                const auto hive = RegistryHive::open(path);
                report << hive->value(QStringLiteral("K"), QStringLiteral("v")).value_or("none")
                       << setValueError(*hive);
            }
            report << companions(dir.path()).join(u',');
            QFile::setPermissions(dir.path(), writable);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            const auto hive = RegistryHive::open(path);
            report << setValueError(*hive)
                   << hive->value(QStringLiteral("K"), QStringLiteral("v")).value_or("none");
            return report.join(u'|');
        });
        const QStringList report = said.split(u'|');
        ASSERT_EQ(report.size(), 5) << said.toStdString();
        EXPECT_EQ(report[0].toStdString(), "1");
        EXPECT_THAT(report[1].toStdString(), HasSubstr("\"" + path.toStdString() + "\""));
        EXPECT_THAT(report[1].toStdString(), HasSubstr("is read-only"));
        EXPECT_EQ(report[2].toStdString(), "") << "left behind while read-only";
        EXPECT_EQ(report[3].toStdString(), "written");
        EXPECT_EQ(report[4].toStdString(), "2");
    }
}

// A -shm file that its user may not write (another user's, or one that a reader of the
// read-only file left) keeps every write out; the message must say which file to see to.
TEST(RegistryHive, AWriteRefusedForACompanionFileNamesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hive.sqlite3"));
    const QString said = asPlainUser(dir.path(), [&] {
        RegistryHive::open(path)->setValue(QStringLiteral("K"), QStringLiteral("v"),
                                           QStringLiteral("1"));
        // A read of the read-only file by a program that makes the companion files anyway.
        QFile::setPermissions(path, QFile::ReadOwner);
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_exec(db, "SELECT count(*) FROM hive_values", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (QFile::permissions(path + QStringLiteral("-shm")) & QFile::WriteOwner)
            return QStringLiteral("no read-only -shm file to test with");
        const QString refused = setValueError(*RegistryHive::open(path));
        QFile::remove(path + QStringLiteral("-shm"));
        return refused + u'|' + setValueError(*RegistryHive::open(path));
    });
    EXPECT_THAT(said.toStdString(), HasSubstr("\"" + path.toStdString() + "-shm\" is read-only"));
    EXPECT_TRUE(said.endsWith(u"|written")) << said.toStdString();
}

namespace {

// A disk that fills up, for the SQLite files of every connection opened while it exists: while
// `full`, no file grows (a write past its end fails as a full disk makes it fail), and a -shm
// file cannot be sized.
class FullDisk
{
public:
    FullDisk() : m_base(sqlite3_vfs_find(nullptr)), m_vfs(*m_base)
    {
        s_baseSize = m_base->szOsFile;
        m_vfs.zName = "full-disk";
        m_vfs.szOsFile = m_base->szOsFile + int(sizeof(Extra));
        m_vfs.pAppData = this;
        m_vfs.xOpen = &open;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~FullDisk() { sqlite3_vfs_unregister(&m_vfs); }

    bool full = false;

private:
    // After the base VFS's own file: what our methods need.
    struct Extra
    {
        FullDisk* disk;
        const sqlite3_io_methods* base;
        const char* name;
    };
    static inline int s_baseSize = 0;
    static Extra& extra(sqlite3_file* file)
    {
        return *reinterpret_cast<Extra*>(reinterpret_cast<char*>(file) + s_baseSize);
    }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out)
    {
        auto* self = static_cast<FullDisk*>(vfs->pAppData);
        const int rc = self->m_base->xOpen(self->m_base, name, file, flags, out);
        if (rc != SQLITE_OK || !file->pMethods)
            return rc;
        extra(file) = {self, file->pMethods, name};
        // One table of methods for each of the base VFS's, with the writes that grow a file
        // taken over.
        sqlite3_io_methods& methods = self->m_methods[file->pMethods];
        if (!methods.xWrite) {
            methods = *file->pMethods;
            methods.xWrite = &write;
            methods.xShmMap = &shmMap;
        }
        file->pMethods = &methods;
        return rc;
    }
    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
    {
        const Extra& e = extra(file);
        sqlite3_int64 size = 0;
        if (e.disk->full && (e.base->xFileSize(file, &size) != SQLITE_OK || offset + amount > size))
            return SQLITE_FULL;
        return e.base->xWrite(file, data, amount, offset);
    }
    static int shmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out)
    {
        const Extra& e = extra(file);
        const qint64 shm = QFileInfo(QFile::decodeName(e.name) + QStringLiteral("-shm")).size();
        if (e.disk->full && extend && shm < qint64(region + 1) * size)
            return SQLITE_IOERR_SHMSIZE;
        return e.base->xShmMap(file, region, size, extend, out);
    }

    sqlite3_vfs* m_base;
    sqlite3_vfs m_vfs;
    std::map<const sqlite3_io_methods*, sqlite3_io_methods> m_methods;
};

} // namespace

// A full disk refuses a write, whether it fills while the hive is open or was full before: the
// message names the hive and says what to do, and what was stored is kept and still read.
TEST(RegistryHive, AFullDiskRefusesWritesAndKeepsWhatWasStored)
{
    FullDisk disk;
    TempHive t;
    t.hive->setValue(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("1"));
    const QString large(100'000, u'x');
    const auto refused = [&](RegistryHive& hive) {
        try {
            hive.setValue(QStringLiteral("K"), QStringLiteral("w"), large);
        } catch (const HiveError& error) {
            return error.message();
        }
        return QStringLiteral("written");
    };
    const std::string expected = "The settings file \"" + t.path.toStdString() +
                                 "\" could not be written: the disk it is on is full. Free some "
                                 "space on that disk and try again";

    disk.full = true;
    EXPECT_THAT(refused(*t.hive).toStdString(), HasSubstr(expected));
    EXPECT_EQ(t.hive->value(QStringLiteral("K"), QStringLiteral("v")), QStringLiteral("1"));
    disk.full = false;
    t.hive.reset();

    disk.full = true;
    const auto reopened = RegistryHive::open(t.path);
    EXPECT_EQ(reopened->value(QStringLiteral("K"), QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_THAT(refused(*reopened).toStdString(), HasSubstr(expected));

    disk.full = false;
    const auto freed = RegistryHive::open(t.path);
    EXPECT_EQ(refused(*freed), QStringLiteral("written"));
    EXPECT_EQ(freed->value(QStringLiteral("K"), QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_EQ(freed->valueNames(QStringLiteral("K")),
              (QStringList{QStringLiteral("v"), QStringLiteral("w")}));
}

namespace {

// A closed hive of a few keys and values, then damaged inside a page.
QString damagedHive(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("hive.sqlite3"));
    {
        const auto hive = RegistryHive::open(path);
        for (int i = 0; i < 20; ++i)
            hive->setValue(QStringLiteral("K\\Sub%1").arg(i), QStringLiteral("v"),
                           QStringLiteral("x"));
    }
    Testing::damageHive(path);
    return path;
}

} // namespace

TEST(RegistryHive, DamageIsToldOnceAndTheFileIsNeverWrittenAgain)
{
    QTemporaryDir dir;
    const QString path = damagedHive(dir);
    const QByteArray before = readBytes(path);
    {
        const auto hive = RegistryHive::open(path);
        const std::function<void(RegistryHive&)> operations[] = {
            [](RegistryHive& h) { h.value(QStringLiteral("K\\Sub3"), QStringLiteral("v")); },
            [](RegistryHive& h) {
                h.setValue(QStringLiteral("K\\Sub3"), QStringLiteral("v"), QStringLiteral("y"));
            },
            [](RegistryHive& h) {
                h.setValue(QString(), QStringLiteral("v"), QStringLiteral("y"));
            },
            [](RegistryHive& h) { h.valueNames(QString()); },
            [](RegistryHive& h) { h.deleteKey(QStringLiteral("K")); },
            [](RegistryHive& h) { h.exportText(QString()); },
            [](RegistryHive& h) {
                h.importText(QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER]\n"));
            },
            [](RegistryHive& h) { h.integrityProblems(); },
        };
        for (std::size_t i = 0; i < std::size(operations); ++i) {
            SCOPED_TRACE(i);
            try {
                operations[i](*hive);
                ADD_FAILURE() << "the damaged hive was used";
            } catch (const HiveError& error) {
                EXPECT_TRUE(error.isDamage());
                EXPECT_EQ(error.repeated(), i > 0);
                EXPECT_EQ(error.damagedFile(), path);
                EXPECT_THAT(error.message().toStdString(),
                            HasSubstr("\"" + path.toStdString() + "\" is damaged ("));
            }
        }
    }
    EXPECT_EQ(readBytes(path), before);
}

TEST(RegistryHive, IntegrityCheckFindsDamageInAPage)
{
    QTemporaryDir dir;
    const QString damaged = damagedHive(dir);
    EXPECT_FALSE(RegistryHive::open(damaged)->integrityProblems().isEmpty());

    TempHive whole;
    whole.hive->setValue(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("x"));
    EXPECT_EQ(whole.hive->integrityProblems(), QStringList());
}

TEST(RegistryHive, ExportWritesSectionsDepthFirst)
{
    TempHive t;
    RegistryHive& hive = *t.hive;
    EXPECT_EQ(hive.exportText(QStringLiteral("Missing")), QStringLiteral("REGEDIT4\n\n"));

    hive.setValue(QStringLiteral("Soft\\App"), QStringLiteral("Name"), QStringLiteral("va\"l\\ue"));
    hive.setValue(QStringLiteral("Soft\\App"), QString(), QStringLiteral("default"));
    hive.setValue(QStringLiteral("Soft\\App"), QStringLiteral("empty"), QString());
    hive.setValue(QStringLiteral("Soft\\App"), QStringLiteral("ctl"),
                  withNul("a\tb\r\n\x01", "\x1f\x7f"));
    hive.createKey(QStringLiteral("Soft\\App\\Empty"));
    hive.createKey(QStringLiteral("Soft\\b"));
    const QString tree = QStringLiteral("[HKEY_CURRENT_USER\\Soft]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Soft\\App]\n"
                                        "\"Name\"=\"va\\\"l\\\\ue\"\n"
                                        "@=\"default\"\n"
                                        "\"empty\"=\"\"\n"
                                        "\"ctl\"=\"a\tb\\r\\n\\x01\\0\\x1F\\x7F\"\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Soft\\App\\Empty]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Soft\\b]\n"
                                        "\n");
    EXPECT_EQ(hive.exportText(QString()), QStringLiteral("REGEDIT4\n\n") + tree);

    hive.setValue(QString(), QStringLiteral("top"), QStringLiteral("1"));
    EXPECT_EQ(hive.exportText(QString()),
              QStringLiteral("REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"top\"=\"1\"\n\n") + tree);

    EXPECT_EQ(hive.exportText(QStringLiteral("SOFT\\app\\empty"), QStringLiteral("Root")),
              QStringLiteral("REGEDIT4\n\n[Root\\Soft\\App\\Empty]\n\n"));
}

TEST(RegistryHive, ExportImportRoundTripKeepsEverything)
{
    const QStringList names{
        QString(),
        QStringLiteral("plain"),
        QStringLiteral("back\\slash"),
        QStringLiteral("\"quoted\" = \"x\""),
        QStringLiteral("cr\rlf\nboth\r\n"),
        withNul("", "nul"),
        QStringLiteral("\ttab and \x01\x1b\x7f controls "),
        QStringLiteral("@"),
        QStringLiteral("-"),
        QStringLiteral("[not a section]"),
        QStringLiteral("; not a comment"),
        QStringLiteral("ünïcødé \U0001F600"),
        QStringLiteral("dword:0000000a"),
    };
    const QStringList keys{
        QStringLiteral("Plain"),          QStringLiteral(" padded\t"), QStringLiteral("brack]et"),
        QStringLiteral("[open"),          QStringLiteral("-dash"),     QStringLiteral(";semi"),
        QStringLiteral("quote\"=\"s"),    withNul("nul", ""),          QStringLiteral("cr\r"),
        QStringLiteral("Ünï \U0001F600"), QStringLiteral("x@y"),
    };
    TempHive source;
    for (const QString& key : keys) {
        for (const QString& name : names)
            source.hive->setValue(QStringLiteral("Top\\") + key, name, name);
    }
    for (const QString& name : names)
        source.hive->setValue(QString(), name, name);
    source.hive->createKey(QStringLiteral("Empty\\Deeper"));

    for (const char* start : {"", "Top"}) {
        SCOPED_TRACE(start);
        const QString text = source.hive->exportText(QString::fromUtf8(start));
        TempHive copy;
        copy.hive->importText(text);
        EXPECT_EQ(copy.hive->exportText(QString::fromUtf8(start)), text);
    }
    TempHive copy;
    copy.hive->importText(source.hive->exportText(QString()));
    for (const QString& key : keys) {
        EXPECT_EQ(copy.hive->valueNames(QStringLiteral("Top\\") + key), names);
        for (const QString& name : names.mid(1))
            EXPECT_EQ(copy.hive->value(QStringLiteral("Top\\") + key, name), name);
    }
    EXPECT_TRUE(copy.hive->keyExists(QStringLiteral("Empty\\Deeper")));
}

TEST(RegistryHive, ImportAcceptsTheFormatsVariants)
{
    TempHive t;
    RegistryHive& hive = *t.hive;
    hive.setValue(QStringLiteral("Stale\\Sub"), QStringLiteral("v"), QStringLiteral("1"));
    hive.setValue(QStringLiteral("A"), QStringLiteral("gone"), QStringLiteral("1"));

    hive.importText(QChar(0xfeff) + QStringLiteral("\r\nWindows Registry Editor Version 5.00\r\n"
                                                   "\r\n"
                                                   "; a comment\r\n"
                                                   "[hkey_current_user\\A]\r\n"
                                                   "  \"n\" =\t\"v\"  \r\n"
                                                   "\"ten\"=dword:0000000a\r\n"
                                                   "\"minus\"=DWORD:FFFFFFFF\r\n"
                                                   "\"min\"=dword:80000000\r\n"
                                                   "@=\"def\"\r\n"
                                                   "\"gone\"=-\r\n"
                                                   "[-HKEY_CURRENT_USER\\Stale]\r\n"
                                                   "[HKEY_CURRENT_USER\\\\New\\\\Empty\\]\r\n"));
    EXPECT_EQ(hive.valueNames(QStringLiteral("A")),
              (QStringList{QStringLiteral("n"), QStringLiteral("ten"), QStringLiteral("minus"),
                           QStringLiteral("min"), QString()}));
    EXPECT_EQ(hive.value(QStringLiteral("A"), QStringLiteral("n")), QStringLiteral("v"));
    EXPECT_EQ(hive.value(QStringLiteral("A"), QStringLiteral("ten")), QStringLiteral("10"));
    EXPECT_EQ(hive.value(QStringLiteral("A"), QStringLiteral("minus")), QStringLiteral("-1"));
    EXPECT_EQ(hive.value(QStringLiteral("A"), QStringLiteral("min")),
              QStringLiteral("-2147483648"));
    EXPECT_EQ(hive.value(QStringLiteral("A"), QString()), QStringLiteral("def"));
    EXPECT_FALSE(hive.keyExists(QStringLiteral("Stale")));
    EXPECT_TRUE(hive.keyExists(QStringLiteral("New\\Empty")));

    // The section root may itself be a path; the key path is what follows it.
    hive.importText(QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zux\\Vantix]\n"
                                   "\"x\"=\"y\"\n"),
                    QStringLiteral("HKEY_CURRENT_USER\\Software\\Zux"));
    EXPECT_EQ(hive.value(QStringLiteral("Vantix"), QStringLiteral("x")), QStringLiteral("y"));
}

TEST(RegistryHive, ImportErrorsNameTheLineAndWriteNothing)
{
    // Lines 1-5 are good and would delete "Keep" and create "New".
    const QString good = QStringLiteral("REGEDIT4\n\n[-HKEY_CURRENT_USER\\Keep]\n"
                                        "[HKEY_CURRENT_USER\\New]\n\"a\"=\"1\"\n");
    struct Case
    {
        QString text;
        int line;
        const char* complaint;
    };
    const Case cases[] = {
        {good + "\"b\"=\"unterminated\n", 6, "value has no closing quote"},
        {good + "\"b\"=\"ends in backslash\\\n", 6, "value has no closing quote"},
        {good + "\"unterminated\n", 6, "name has no closing quote"},
        {good + "\"b\"=\"bad \\q escape\"\n", 6, "unknown escape \\q in the value"},
        {good + "\"b\\t\"=\"1\"\n", 6, "unknown escape \\t in the name"},
        {good + "\"b\"=\"\\x4\"\n", 6, "needs two hexadecimal digits"},
        {good + "\"b\"=\"1\" junk\n", 6, "unexpected text after the value"},
        {good + "\"b\"=-x\n", 6, "unexpected text after the value"},
        {good + "\"b\"=hex:01,02\n", 6, "hex"},
        {good + "\"b\"=dword:123\n", 6, "8 hexadecimal digits"},
        {good + "\"b\"=dword:000000001\n", 6, "8 hexadecimal digits"},
        {good + "\"b\"=1\n", 6, "neither quoted text"},
        {good + "\"b\" \"1\"\n", 6, "\"=\" was expected"},
        {good + "garbage\n", 6, "neither a section nor a value"},
        {good + "[HKEY_CURRENT_USER\\Open\n", 6, "no closing bracket"},
        {good + "[HKEY_LOCAL_MACHINE\\Other]\n", 6, "is not under \"HKEY_CURRENT_USER\""},
        {good + "[HKEY_CURRENT_USERS\\Other]\n", 6, "is not under"},
        {good + "[-HKEY_CURRENT_USER\\Gone]\n\"a\"=\"1\"\n", 7, "follows the removal"},
        {QStringLiteral("REGEDIT4\r\n\"a\"=\"1\"\r\n"), 2, "not inside a section"},
        {QStringLiteral("\n\nREGEDIT5\n[HKEY_CURRENT_USER\\New]\n"), 3, "does not begin with"},
        {QStringLiteral(" \n"), 1, "REGEDIT4 was expected"},
    };
    TempHive t;
    RegistryHive& hive = *t.hive;
    hive.setValue(QStringLiteral("Keep"), QStringLiteral("v"), QStringLiteral("1"));
    const QString before = hive.exportText(QString());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QString message = importError(hive, c.text);
        EXPECT_THAT(message.toStdString(),
                    testing::StartsWith("Line " + std::to_string(c.line) + ": "));
        EXPECT_THAT(message.toStdString(), HasSubstr(c.complaint));
        EXPECT_EQ(hive.exportText(QString()), before);
    }
}

TEST(RegistryHive, DefaultPathFollowsTheEnvironment)
{
    const QByteArray saved = qgetenv("VANTIX_REGISTRY");
    qputenv("VANTIX_REGISTRY", "/some/where/hive.sqlite3");
    EXPECT_EQ(RegistryHive::defaultPath(), QStringLiteral("/some/where/hive.sqlite3"));
    qputenv("VANTIX_REGISTRY", "");
    EXPECT_TRUE(RegistryHive::defaultPath().endsWith(QStringLiteral("/vantix/registry.sqlite3")));
    EXPECT_NE(RegistryHive::defaultPath(), QStringLiteral("/vantix/registry.sqlite3"));
    qputenv("VANTIX_REGISTRY", saved);
}
