// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/Build.h"

#include "DataFileTesting.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "demo/Demo.h"
#include "index/FolderValues.h"
#include "index/IndexWriter.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/SearchKeys.h"
#include "platform/Cp1252.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <optional>

using namespace Indexing;
using DataFiles::ProfileRecord;
using Platform::MsgAnswer;

namespace {

const QChar Line(1);

// Items as AddToIndex takes them.
QString items(const QStringList& list)
{
    return list.join(QChar(0));
}

QString display(const QString& first, const QString& second)
{
    return first + Line + second;
}

QByteArray flagOf(const QString& path)
{
    return Testing::fileBytes(path).mid(FlagPosition - 1, 2);
}

// True when a search of `image` under the cell of every key word of `value`
// finds the entry of that value, display and reference.
bool holds(const QByteArray& image, int index, const QString& value, const QString& shown,
           const QString& ref, qint16 kind)
{
    const KeyWords words = keyWords(value, index, kind);
    if (words.words.isEmpty())
        return false;
    const BytesSource source(image);
    for (const QString& word : words.words) {
        const Cell cell = cellOf(word);
        const CellHead head = findCell(source, cell);
        if (head.first == -1)
            return false;
        ChainWalker walker(source, head.first, cell);
        EntryStream stream;
        IndexRecord record;
        bool found = false;
        const auto take = [&](const Entry& e) {
            qint16 flags = 0;
            int length = 0;
            found |= e.match == Platform::Cp1252::encode(words.match) &&
                     KwUnPack(e.packedRef, flags, length) == ref && flags == kind &&
                     UnZip(e.packedDisplay) == shown;
        };
        while (walker.next(record)) {
            stream.add(record, record.NextRecord == -1);
            stream.take(take);
        }
        stream.take(take, true);
        if (walker.damage() || !found)
            return false;
    }
    return true;
}

// A filing tree and an index folder in a temporary folder, named by the
// settings of the mode "Test".
class BuildTest : public Testing::DataFileTest
{
protected:
    void SetUp() override
    {
        settings.useTestMode({{"FilingFolder", filing()}});
        QDir().mkpath(filing());
        QDir().mkpath(indexes());
        setIndexFolder(indexes());
    }
    void TearDown() override
    {
        AddToIndex(-1, {}, {}, {}, 0, false);
        setIndexFolder(QString());
        Global::GetDataFolder(QString(), true);
    }

    QString filing() const { return path("Filing"); }
    QString indexes() const { return path("Index"); }
    QString index(int number) const { return indexPath(indexes(), number); }

    // A folder of the tree with its information file and, when given, its
    // profile.
    QString folder(const QString& relative, qint16 kind, const ProfileRecord* profile = nullptr,
                   const QString& realRef = QString())
    {
        const QString at = filing() + u'/' + relative;
        EXPECT_TRUE(QDir().mkpath(at));
        DataFiles::FileInfoRecord info;
        info.FolderID = kind;
        info.RealRef = realRef;
        Routines_FileInfoFile::writeFileInfoRecord(at + QStringLiteral("/FileInfo.inf"), info);
        if (profile)
            Routines_ProfileFile::writeProfile(at + QStringLiteral("/Profile.pro"), *profile);
        return at;
    }
};

ProfileRecord profileOf(const QString& name, qint16 kind, bool indexed)
{
    ProfileRecord profile;
    profile.kind = kind;
    profile.displayName = name;
    profile.setIndexFlag(indexed);
    return profile;
}

void setAddress(ProfileRecord& profile, int at, bool inUse, const QString& town,
                const QString& postcode)
{
    profile.addresses[at].inUse = inUse ? -1 : 0;
    profile.addresses[at].town = town;
    profile.addresses[at].postcode = postcode;
}

void setNumber(ProfileRecord& profile, int at, bool inUse, const QString& number)
{
    profile.contacts[at].setInUse(inUse);
    profile.contacts[at].number = number;
}

} // namespace

TEST_F(BuildTest, BuildIndexFileWritesTheEmptyIndexWholeAndMovesTheProgress)
{
    Testing::writeBytes(index(PcodeIndex), "an old index of another shape");
    QList<int> shown;
    const BuildProgress progress{.setValue = [&](int value) { shown << value; }};
    EXPECT_TRUE(BuildIndexFile(progress, QStringLiteral("pcode.bin"), 5, 9));
    EXPECT_EQ(Testing::fileBytes(index(PcodeIndex)), emptyIndexBytes());
    EXPECT_EQ(shown, (QList<int>{5, 6, 7, 8, 9}));

    EXPECT_TRUE(BuildIndexFile({}, QStringLiteral("4"), 0, 0));
    EXPECT_EQ(Testing::fileBytes(index(UD1Index)), emptyIndexBytes());
    EXPECT_FALSE(BuildIndexFile({}, QStringLiteral("7"), 0, 0));

    setIndexFolder(path("no such folder"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("Couldn't create a new file."));
    EXPECT_FALSE(BuildIndexFile({}, QStringLiteral("1"), 0, 19));
    EXPECT_EQ(host.boxes.last().icon, Platform::MsgIcon::None);
}

TEST_F(BuildTest, AddToIndexStoresEachValueWithItsDisplayAndNothingForAFolderItCannotIndex)
{
    const QString name = index(NameIndex);
    Testing::writeBytes(name, emptyIndexBytes());
    struct Case
    {
        const char* what;
        QString values, ref;
        qint16 kind;
        const char* message = nullptr;
    };
    const Case nothing[] = {
        {"a folder never indexed", QStringLiteral("Acme"), QStringLiteral("12"), 5},
        {"a folder of unknown kind", QStringLiteral("Acme"), QStringLiteral("12"), 0},
        {"a folder of kind 6", QStringLiteral("Acme"), QStringLiteral("12"), 6},
        {"a folder of kind 8", QStringLiteral("Acme"), QStringLiteral("12"), 8},
        {"a folder of kind -1", QStringLiteral("Acme"), QStringLiteral("12"), -1},
        {"no values", QString(), QStringLiteral("12"), 3},
        {"no reference", QStringLiteral("Acme"), QString(), 3},
        // Packed and read back cut, it would find another folder.
        {"a reference of 59 characters", QStringLiteral("Acme"), QString(59, u'7'), 3,
         "The folder \"77777777777777777777777777777777777777777777777777777777777\" was not "
         "indexed: its reference is longer than the 58 characters"},
    };
    for (const Case& c : nothing) {
        if (c.message)
            host.expectBox(MsgAnswer::Ok, QString::fromUtf8(c.message));
        EXPECT_FALSE(AddToIndex(NameIndex, c.values, c.values, c.ref, c.kind, true)) << c.what;
        EXPECT_EQ(Testing::fileBytes(name), emptyIndexBytes()) << c.what;
    }
    host.boxes.clear();

    // Pairwise, a display missing at the end reading as empty. The folder
    // added again, now of another kind, takes the place of its entries under
    // the words it is stored under (packed with that kind); the initials
    // that only a company gives keep theirs.
    EXPECT_TRUE(AddToIndex(NameIndex, items({QStringLiteral("Acme Ltd"), QStringLiteral("Zed")}),
                           display(QStringLiteral("Acme Ltd"), QStringLiteral("Leeds")),
                           QStringLiteral("12"), 3, true));
    EXPECT_TRUE(AddToIndex(NameIndex, QStringLiteral("Acme Ltd"), QString(), QStringLiteral("12"),
                           4, true));
    MemoryIndex expected;
    qint16 three = 3;
    qint16 four = 4;
    const QByteArray company = KwPack(QStringLiteral("12"), three);
    storeEntry(expected, cellOf(u"ACME"),
               makeEntry(QStringLiteral("ACMELTD"), KwPack(QStringLiteral("12"), four), {}));
    storeEntry(expected, cellOf(u"AL"),
               makeEntry(QStringLiteral("ACMELTDAL"), company,
                         Zip(display(QStringLiteral("Acme Ltd"), QStringLiteral("Leeds")))));
    storeEntry(expected, cellOf(u"ZED"), makeEntry(QStringLiteral("ZED"), company, {}));
    EXPECT_EQ(Testing::fileBytes(name), expected.bytes());
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(BuildTest, AddToIndexKeepsFilesOpenUntilToldToCloseThemAndRespectsTheLock)
{
    const QString name = index(NameIndex);
    const QString pcode = index(PcodeIndex);
    Testing::writeBytes(name, emptyIndexBytes());
    Testing::writeBytes(pcode, emptyIndexBytes());
    const auto shutOut = [](const QString& path) {
        try {
            Platform::File::open(path, Platform::File::Binary | Platform::File::Read |
                                           Platform::File::Write | Platform::File::Locked);
            return false;
        } catch (const Platform::RunTimeError&) {
            return true;
        }
    };

    EXPECT_TRUE(AddToIndex(NameIndex, QStringLiteral("Acme"), QString(), QStringLiteral("12"), 3,
                           false, true));
    EXPECT_TRUE(AddToIndex(PcodeIndex, QStringLiteral("LS1 1AA"), QString(), QStringLiteral("12"),
                           3, false));
    EXPECT_TRUE(shutOut(name));
    EXPECT_FALSE(shutOut(pcode));
    EXPECT_TRUE(AddToIndex(-1, {}, {}, {}, 0, false));
    EXPECT_FALSE(shutOut(name));
    EXPECT_NE(Testing::fileBytes(name), emptyIndexBytes());

    sub_LockForMaintenance(pcode, MaintenanceFlag);
    const QByteArray locked = Testing::fileBytes(pcode);
    EXPECT_FALSE(
        AddToIndex(PcodeIndex, QStringLiteral("AB1"), QString(), QStringLiteral("12"), 3, false));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("The 'Postcode' index is undergoing maintenance"));
    EXPECT_FALSE(AddToIndex(PcodeIndex, QStringLiteral("AB1"), QString(), QStringLiteral("12"), 3,
                            true, true));
    EXPECT_EQ(Testing::fileBytes(pcode), locked);
}

TEST_F(BuildTest, PrepareForIndexGathersEachIndexByFolderKindAndARebuildGathersTheSame)
{
    ProfileRecord acme = profileOf(QStringLiteral("Acme Ltd"), 3, true);
    setAddress(acme, 0, false, QStringLiteral("Nowhere"), QStringLiteral("NW1"));
    setAddress(acme, 1, true, QString(), QStringLiteral("AB1 2CD"));
    setAddress(acme, 2, true, QStringLiteral("Leeds"), QStringLiteral("LS1 1AA"));
    setNumber(acme, 0, true, QStringLiteral("0113 496 0000"));
    setNumber(acme, 1, false, QStringLiteral("999"));
    setNumber(acme, 2, true, QString());
    setNumber(acme, 3, true, QStringLiteral("info@acme.example"));
    acme.UD1 = QStringLiteral("Gold");
    ProfileRecord smith = profileOf(QStringLiteral("John Smith"), 2, false);
    setAddress(smith, 0, true, QStringLiteral("Leeds"), QStringLiteral("ZZ1 1ZZ"));
    smith.UD1 = QStringLiteral("Silver");
    const ProfileRecord jones = profileOf(QStringLiteral("Ann Jones"), 2, true);
    ProfileRecord stray = profileOf(QStringLiteral("Sam Stray"), 2, false);
    setAddress(stray, 4, true, QString(), QStringLiteral("PO1 1AA"));
    const ProfileRecord brown = profileOf(QStringLiteral("Bob Brown"), 4, true);
    ProfileRecord plain = profileOf(QStringLiteral("Pat Plain"), 4, false);
    setAddress(plain, 0, true, QStringLiteral("York"), QString());

    folder(QStringLiteral("Acme Ltd [12]"), 3, &acme);
    folder(QStringLiteral("Acme Ltd [12]/Smith, John [12-3]"), 2, &smith);
    folder(QStringLiteral("Acme Ltd [12]/Jones [12-4]"), 0, &jones); // kind from the profile
    folder(QStringLiteral("Stray [13]"), 2, &stray);
    folder(QStringLiteral("Archive [14]"), 5);
    folder(QStringLiteral("Archive [14]/Brown [14-1]"), 4, &brown);
    folder(QStringLiteral("Projects [15]"), 1);
    folder(QStringLiteral("Plain"), 4, &plain, QStringLiteral("16"));

    const QString acmeName = QStringLiteral("Acme Ltd");
    struct Case
    {
        QString folder;
        int index;
        QString values, displays, ref;
        qint16 kind;
    };
    const Case cases[] = {
        {QStringLiteral("Acme Ltd [12]"), NameIndex, acmeName,
         display(acmeName, QStringLiteral("Leeds")), QStringLiteral("12"), 3},
        {QStringLiteral("Acme Ltd [12]"), PcodeIndex,
         items({QStringLiteral("AB1 2CD"), QStringLiteral("LS1 1AA")}),
         items({display(QStringLiteral("AB1 2CD"), acmeName),
                display(QStringLiteral("LS1 1AA"), acmeName)}),
         QStringLiteral("12"), 3},
        {QStringLiteral("Acme Ltd [12]"), TelNumIndex,
         items({QStringLiteral("0113 496 0000"), QStringLiteral("info@acme.example")}),
         items({display(QStringLiteral("0113 496 0000"), acmeName),
                display(QStringLiteral("info@acme.example"), acmeName)}),
         QStringLiteral("12"), 3},
        {QStringLiteral("Acme Ltd [12]"), UD1Index, QStringLiteral("Gold"),
         display(QStringLiteral("Gold"), acmeName), QStringLiteral("12"), 3},
        {QStringLiteral("Acme Ltd [12]/Smith, John [12-3]"), NameIndex,
         QStringLiteral("John Smith"), display(QStringLiteral("Smith, John"), acmeName),
         QStringLiteral("12-3"), 2},
        // Without the profile's index flag only the Name index takes values.
        {QStringLiteral("Acme Ltd [12]/Smith, John [12-3]"), PcodeIndex, QString(), QString(),
         QStringLiteral("12-3"), 2},
        {QStringLiteral("Acme Ltd [12]/Smith, John [12-3]"), UD1Index, QString(), QString(),
         QStringLiteral("12-3"), 2},
        {QStringLiteral("Acme Ltd [12]/Jones [12-4]"), NameIndex, QStringLiteral("Ann Jones"),
         display(QStringLiteral("Jones"), acmeName), QStringLiteral("12-4"), 2},
        {QStringLiteral("Stray [13]"), NameIndex, QStringLiteral("Sam Stray"),
         display(QStringLiteral("Stray"), QStringLiteral("PO1 1AA")), QStringLiteral("13"), 2},
        {QStringLiteral("Archive [14]/Brown [14-1]"), NameIndex, QStringLiteral("Bob Brown"),
         display(QStringLiteral("Brown"), QStringLiteral("Archive/Brown")), QStringLiteral("14-1"),
         4},
        {QStringLiteral("Archive [14]"), NameIndex, QString(), QString(), QStringLiteral("14"), 5},
        {QStringLiteral("Projects [15]"), NameIndex, QStringLiteral("Projects"),
         display(QStringLiteral("Projects"), QStringLiteral("Projects")), QStringLiteral("15"), 1},
        {QStringLiteral("Projects [15]"), PcodeIndex, QString(), QString(), QStringLiteral("15"),
         1},
        {QStringLiteral("Plain"), NameIndex, QStringLiteral("Pat Plain"),
         display(QStringLiteral("Plain"), QStringLiteral("York")), QStringLiteral("16"), 4},
    };
    for (const Case& c : cases) {
        QString values, displays, ref;
        qint16 kind = -1;
        PrepareForIndex(c.index, filing() + u'/' + c.folder + u'/', values, displays, ref, kind);
        const std::string what = c.folder.toStdString() + " " + std::to_string(c.index);
        EXPECT_EQ(values, c.values) << what;
        EXPECT_EQ(displays, c.displays) << what;
        EXPECT_EQ(ref, c.ref) << what;
        EXPECT_EQ(kind, c.kind) << what;
    }
    EXPECT_TRUE(host.boxes.isEmpty());

    // The rebuild's one walk gives what PrepareForIndex and AddToIndex give
    // folder by folder in the same order.
    ASSERT_TRUE(RebuildIndexFile({}, {1, 2, 3, 4}));
    const QStringList walkOrder = {
        QStringLiteral("Acme Ltd [12]"),
        QStringLiteral("Acme Ltd [12]/Jones [12-4]"),
        QStringLiteral("Acme Ltd [12]/Smith, John [12-3]"),
        QStringLiteral("Archive [14]"),
        QStringLiteral("Archive [14]/Brown [14-1]"),
        QStringLiteral("Plain"),
        QStringLiteral("Projects [15]"),
        QStringLiteral("Stray [13]"),
    };
    setIndexFolder(path("ByFolder"));
    QDir().mkpath(path("ByFolder"));
    for (int number = NameIndex; number <= UD1Index; ++number) {
        ASSERT_TRUE(BuildIndexFile({}, QString::number(number), 0, 0));
        for (const QString& relative : walkOrder) {
            QString values, displays, ref;
            qint16 kind = 0;
            PrepareForIndex(number, filing() + u'/' + relative, values, displays, ref, kind);
            AddToIndex(number, values, displays, ref, kind, true);
        }
        EXPECT_EQ(Testing::fileBytes(indexPath(path("ByFolder"), number)),
                  Testing::fileBytes(index(number)))
            << number;
    }
}

TEST_F(BuildTest, ARebuildInMemoryGivesTheBytesOfTheRecordByRecordBuildAndFreesEveryIndex)
{
    QTemporaryDir dir;
    Demo::DemoOptions options;
    options.contacts = 300;
    options.emailsPerJob = 0;
    const Demo::DemoSummary made =
        Demo::createWorkspace(dir.filePath(QStringLiteral("ws")), options);
    Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
    Global::GetDataFolder(QString(), true);

    const QString inMemory = dir.filePath(QStringLiteral("ws/Index"));
    const QString byRecord = dir.filePath(QStringLiteral("byRecord"));
    QDir().mkpath(byRecord);
    setIndexFolder(byRecord);
    ASSERT_TRUE(rebuildRecordByRecord({}, {1, 2, 3, 4}));

    setIndexFolder(inMemory);
    for (int number = NameIndex; number <= UD1Index; ++number)
        Testing::writeBytes(indexPath(inMemory, number), emptyIndexBytes());
    QList<int> shown;
    QStringList labels;
    bool lockedDuringWalk = true;
    const BuildProgress progress{
        .setValue = [&](int value) { shown << value; },
        .setLabel = [&](const QString& text) { labels << text; },
        .stopRequested =
            [&] {
                for (int number = NameIndex; number <= UD1Index; ++number)
                    lockedDuringWalk &= flagOf(indexPath(inMemory, number)) == "\xff\xff";
                return false;
            },
    };
    ASSERT_TRUE(RebuildIndexFile(progress, {1, 2, 3, 4}));
    EXPECT_TRUE(lockedDuringWalk);
    EXPECT_FALSE(rebuildingIndex());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.last(), 100);
    EXPECT_TRUE(labels.contains(QStringLiteral("Copying 'Postcode'...")));
    EXPECT_TRUE(labels.last().isEmpty());
    EXPECT_TRUE(host.boxes.isEmpty());

    for (int number = NameIndex; number <= UD1Index; ++number) {
        const QByteArray bytes = Testing::fileBytes(indexPath(inMemory, number));
        EXPECT_GT(bytes.size(), EmptyIndexSize) << number;
        EXPECT_EQ(flagOf(indexPath(inMemory, number)), QByteArray(2, '\0')) << number;
        EXPECT_EQ(bytes, Testing::fileBytes(indexPath(byRecord, number))) << number;
        EXPECT_TRUE(OpenIndex(indexPath(inMemory, number)).usable()) << number;
    }

    // Every value of a company and of a person in it is found.
    const QString root = dir.filePath(QStringLiteral("ws/Filing"));
    QStringList checked;
    for (const QString& top : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString company = root + u'/' + top;
        const QStringList people = QDir(company).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (gatherIndexValues(company).kind == DataFiles::FolderC && !people.isEmpty()) {
            checked = {company, company + u'/' + people.first()};
            break;
        }
    }
    ASSERT_EQ(checked.size(), 2);
    for (const QString& folderPath : checked) {
        const FolderIndexValues gathered = gatherIndexValues(folderPath);
        for (int number = NameIndex; number <= UD1Index; ++number) {
            const QString values = gathered.values[number - 1];
            if (values.isEmpty())
                continue;
            const QStringList valueList = values.split(QChar(0));
            const QStringList displayList = gathered.displays[number - 1].split(QChar(0));
            const QByteArray image = Testing::fileBytes(indexPath(inMemory, number));
            for (qsizetype i = 0; i < valueList.size(); ++i)
                EXPECT_TRUE(
                    holds(image, number, valueList[i], displayList[i], gathered.ref, gathered.kind))
                    << valueList[i].toStdString();
        }
    }
    Global::setSettingsHive(nullptr);
}

TEST_F(BuildTest, ARebuildReplacesAMissingOrDamagedIndexAndReportsAProfileItCannotRead)
{
    ProfileRecord acme = profileOf(QStringLiteral("Acme Ltd"), 3, true);
    setAddress(acme, 0, true, QStringLiteral("Leeds"), QStringLiteral("LS1 1AA"));
    folder(QStringLiteral("Acme Ltd [12]"), 3, &acme);
    const ProfileRecord brown = profileOf(QStringLiteral("Bob Brown"), 4, true);
    const QString unreadable = folder(QStringLiteral("Brown [13]"), 4, &brown);
    QByteArray damaged = emptyIndexBytes();
    damaged.replace(0, 9, "Zux Indey");
    Testing::writeBytes(index(PcodeIndex), damaged);

    // The tree is read on a thread of its own; its faults are reported here.
    Platform::File::setFaultHook([&](const QString& path, Platform::File::Operation) {
        return path == unreadable + QStringLiteral("/Profile.pro")
                   ? int(Platform::RunTimeError::DeviceIoError)
                   : 0;
    });
    host.expectBox(MsgAnswer::Ok,
                   QStringLiteral("Routines_ProfileFile:ReadProfile  Error:Device I/O error"));
    const bool rebuilt = RebuildIndexFile({}, {NameIndex, PcodeIndex});
    Platform::File::setFaultHook({});
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(host.boxes.size(), 1);
    for (const int number : {NameIndex, PcodeIndex}) {
        EXPECT_EQ(flagOf(index(number)), QByteArray(2, '\0'));
        EXPECT_TRUE(OpenIndex(index(number)).usable());
    }
    EXPECT_TRUE(holds(Testing::fileBytes(index(PcodeIndex)), PcodeIndex, QStringLiteral("LS1 1AA"),
                      display(QStringLiteral("LS1 1AA"), QStringLiteral("Acme Ltd")),
                      QStringLiteral("12"), 3));
    EXPECT_FALSE(QFileInfo::exists(index(TelNumIndex)));
}

// A rebuild that does not replace an index leaves it as it found it, flag
// included: free, or still locked by the rebuild that died before it.
TEST_F(BuildTest, ARebuildThatEndsEarlyLeavesEachIndexAsItFoundIt)
{
    folder(QStringLiteral("Acme Ltd [12]"), 3);
    folder(QStringLiteral("Brown [13]"), 4);
    MemoryIndex old;
    qint16 kind = 4;
    storeValue(old, NameIndex, QStringLiteral("Old Name"), QString(),
               KwPack(QStringLiteral("9"), kind), 4);
    Testing::writeBytes(index(NameIndex), old.bytes());
    Testing::writeBytes(index(PcodeIndex), old.bytes());
    sub_LockForMaintenance(index(PcodeIndex), MaintenanceFlag);
    const QByteArray stale = Testing::fileBytes(index(PcodeIndex));

    int asked = 0;
    QByteArray flagsWhileWalking;
    const BuildProgress stopAtTheSecond{.stopRequested = [&] {
        flagsWhileWalking = flagOf(index(NameIndex)) + flagOf(index(PcodeIndex));
        return ++asked == 2;
    }};
    EXPECT_FALSE(RebuildIndexFile(stopAtTheSecond, {NameIndex, PcodeIndex}));
    EXPECT_EQ(flagsWhileWalking, "\xff\xff\xff\xff");
    EXPECT_EQ(Testing::fileBytes(index(NameIndex)), old.bytes());
    EXPECT_EQ(Testing::fileBytes(index(PcodeIndex)), stale);
    EXPECT_FALSE(rebuildingIndex());

    // The new Postcode index cannot be written: the Name index is replaced,
    // the Postcode index stays as it was, locked as it was found.
    Platform::File::setFaultHook([](const QString& path, Platform::File::Operation operation) {
        return QFileInfo(path).fileName().startsWith(QLatin1String(".Pcode.bin.")) &&
                       operation == Platform::File::Operation::Write
                   ? int(Platform::RunTimeError::DiskFull)
                   : 0;
    });
    host.expectBox(MsgAnswer::Ok, QStringLiteral("The file\r\n\"%1\"\r\ncould not be written: its "
                                                 "disk is full.\r\n\r\nFree some space")
                                      .arg(index(PcodeIndex)));
    const bool rebuilt = RebuildIndexFile({}, {NameIndex, PcodeIndex});
    Platform::File::setFaultHook({});
    EXPECT_FALSE(rebuilt);
    EXPECT_EQ(flagOf(index(NameIndex)), QByteArray(2, '\0'));
    EXPECT_NE(Testing::fileBytes(index(NameIndex)), old.bytes());
    EXPECT_EQ(Testing::fileBytes(index(PcodeIndex)), stale);
    EXPECT_EQ(QDir(indexes()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"Name.bin", "Pcode.bin"}));

    settings.set(QStringLiteral("Config\\Modes\\Test"), QStringLiteral("FilingFolder"),
                 path("gone"));
    Global::GetDataFolder(QString(), true);
    host.expectBox(MsgAnswer::Ok, QStringLiteral("could not be accessed"));
    EXPECT_FALSE(RebuildIndexFile({}, {PcodeIndex}));
    EXPECT_EQ(Testing::fileBytes(index(PcodeIndex)), stale);
}

// Each index is rebuilt unless another rebuild is working on it (it holds
// the file's claim: here an open of this process stands in for it) or its
// flag cannot be set; a flag left set by a rebuild that died, or by
// `vantix index lock`, is no obstacle.
TEST_F(BuildTest, ARebuildLeavesOutAnIndexThatAnotherRebuildHoldsOrItCannotLock)
{
    ProfileRecord acme = profileOf(QStringLiteral("Acme Ltd"), 3, true);
    setAddress(acme, 0, true, QStringLiteral("Leeds"), QStringLiteral("LS1 1AA"));
    setNumber(acme, 0, true, QStringLiteral("0113 496 0000"));
    acme.UD1 = QStringLiteral("Gold");
    folder(QStringLiteral("Acme Ltd [12]"), 3, &acme);
    for (int number = NameIndex; number <= UD1Index; ++number)
        Testing::writeBytes(index(number), emptyIndexBytes());
    sub_LockForMaintenance(index(PcodeIndex), MaintenanceFlag);
    const QByteArray stale = Testing::fileBytes(index(PcodeIndex));

    std::optional<Platform::File> otherRebuild = Platform::File::claim(index(TelNumIndex));
    ASSERT_TRUE(otherRebuild);
    Platform::File::setFaultHook([&](const QString& path, Platform::File::Operation operation) {
        return path == index(UD1Index) && operation == Platform::File::Operation::Write
                   ? int(Platform::RunTimeError::DeviceIoError)
                   : 0;
    });
    host.expectBox(MsgAnswer::Ok,
                   QStringLiteral("The 'Phone/Fax/Email' index is undergoing maintenance"));
    host.expectBox(MsgAnswer::Ok,
                   QStringLiteral("The file\r\n\"%1\"\r\ncould not be read or written (Device "
                                  "I/O error).\r\n\r\nCheck that you may change the files")
                       .arg(index(UD1Index)));
    QList<qint16> fields{NameIndex, PcodeIndex, TelNumIndex, UD1Index};
    const bool rebuilt = RebuildIndexFile({}, fields);
    Platform::File::setFaultHook({});
    otherRebuild->close();

    EXPECT_FALSE(rebuilt);
    EXPECT_EQ(fields, (QList<qint16>{NameIndex, PcodeIndex, 0, 0}));
    EXPECT_EQ(host.boxes.size(), 2);
    EXPECT_TRUE(holds(Testing::fileBytes(index(NameIndex)), NameIndex, QStringLiteral("Acme Ltd"),
                      display(QStringLiteral("Acme Ltd"), QStringLiteral("Leeds")),
                      QStringLiteral("12"), 3));
    EXPECT_TRUE(holds(Testing::fileBytes(index(PcodeIndex)), PcodeIndex, QStringLiteral("LS1 1AA"),
                      display(QStringLiteral("LS1 1AA"), QStringLiteral("Acme Ltd")),
                      QStringLiteral("12"), 3));
    EXPECT_NE(Testing::fileBytes(index(PcodeIndex)), stale);
    EXPECT_EQ(flagOf(index(PcodeIndex)), QByteArray(2, '\0'));
    EXPECT_EQ(Testing::fileBytes(index(TelNumIndex)), emptyIndexBytes());
    EXPECT_EQ(Testing::fileBytes(index(UD1Index)), emptyIndexBytes());
}

// A folder of a kind the index has no place for, or whose reference the
// index would cut, is left out; the latter with a message that names it.
TEST_F(BuildTest, ARebuildLeavesOutFoldersTheIndexCannotHold)
{
    const QString longest = QStringLiteral("12-345-") + QString(51, u'6');
    const QString tooLong = longest + u'7';
    ProfileRecord odd = profileOf(QStringLiteral("Odd Ltd"), 6, true);
    setAddress(odd, 0, true, QStringLiteral("Leeds"), QStringLiteral("OD1 1DD"));
    const ProfileRecord edge = profileOf(QStringLiteral("Edge Ltd"), 3, true);
    const ProfileRecord deep = profileOf(QStringLiteral("Deep Ltd"), 3, true);
    folder(QStringLiteral("Odd [17]"), 6, &odd);
    folder(QStringLiteral("Edge [") + longest + u']', 3, &edge);
    const QString deepFolder = folder(QStringLiteral("Deep [") + tooLong + u']', 3, &deep);

    host.expectBox(MsgAnswer::Ok, QLatin1Char('"') + deepFolder +
                                      QStringLiteral("\" was not indexed: its reference is "
                                                     "longer than the 58 characters"));
    ASSERT_TRUE(RebuildIndexFile({}, {NameIndex, PcodeIndex}));
    EXPECT_EQ(host.boxes.value(0).icon, Platform::MsgIcon::Exclamation);
    const QByteArray names = Testing::fileBytes(index(NameIndex));
    EXPECT_TRUE(holds(names, NameIndex, QStringLiteral("Edge Ltd"),
                      display(QStringLiteral("Edge"), QStringLiteral("Edge")), longest, 3));
    EXPECT_FALSE(holds(names, NameIndex, QStringLiteral("Deep Ltd"),
                       display(QStringLiteral("Deep"), QStringLiteral("Deep")), tooLong, 3));
    EXPECT_FALSE(holds(Testing::fileBytes(index(PcodeIndex)), PcodeIndex, QStringLiteral("OD1 1DD"),
                       display(QStringLiteral("OD1 1DD"), QStringLiteral("Odd Ltd")),
                       QStringLiteral("17"), 6));
    MemoryIndex onlyEdge;
    qint16 three = 3;
    storeValue(onlyEdge, NameIndex, QStringLiteral("Edge Ltd"),
               display(QStringLiteral("Edge"), QStringLiteral("Edge")), KwPack(longest, three), 3);
    EXPECT_EQ(names, onlyEdge.bytes());
    EXPECT_EQ(Testing::fileBytes(index(PcodeIndex)), emptyIndexBytes());
}

// Links in the filing tree: a link back into the tree or above it is
// skipped (its folder is walked by its own path), a link out of the tree is
// followed the first time the walk meets it, and the progress says how many
// were skipped. The index is
// the one of the same tree without the links.
TEST_F(BuildTest, ARebuildWalksEachFolderOnceWhateverLinksLeadToIt)
{
    ProfileRecord acme = profileOf(QStringLiteral("Acme Ltd"), 3, true);
    setAddress(acme, 0, true, QStringLiteral("Leeds"), QStringLiteral("LS1 1AA"));
    const ProfileRecord smith = profileOf(QStringLiteral("John Smith"), 2, true);
    const ProfileRecord outsider = profileOf(QStringLiteral("Out Sider"), 4, true);
    folder(QStringLiteral("Acme Ltd [12]"), 3, &acme);
    folder(QStringLiteral("Acme Ltd [12]/Smith [12-3]"), 2, &smith);
    QStringList links;
    const auto link = [&](const QString& target, const QString& at) {
        ASSERT_TRUE(QFile::link(target, filing() + u'/' + at)) << at.toStdString();
        links << at;
    };
    const QString outside = path("Elsewhere/Out [50]");
    QDir().mkpath(outside);
    Routines_ProfileFile::writeProfile(outside + QStringLiteral("/Profile.pro"), outsider);
    DataFiles::FileInfoRecord info;
    info.FolderID = 4;
    Routines_FileInfoFile::writeFileInfoRecord(outside + QStringLiteral("/FileInfo.inf"), info);
    link(QStringLiteral(".."), QStringLiteral("Acme Ltd [12]/Smith [12-3]/Up"));
    link(filing() + QStringLiteral("/Acme Ltd [12]"), QStringLiteral("Alias [99]"));
    link(path(""), QStringLiteral("Above [98]"));
    link(outside, QStringLiteral("Outside [50]"));
    link(outside, QStringLiteral("Second way out [51]"));

    QStringList labels;
    ASSERT_TRUE(RebuildIndexFile({.setLabel = [&](const QString& text) { labels << text; }},
                                 {NameIndex, PcodeIndex}));
    const QRegularExpression skipped(QStringLiteral(
        "^3 folders indexed at [0-9,]+ per second; 4 linked folders skipped, each folder being "
        "indexed once\\.$"));
    EXPECT_TRUE(labels.indexOf(skipped) >= 0) << labels.join(u'|').toStdString();
    const QByteArray names = Testing::fileBytes(index(NameIndex));
    const QByteArray postcodes = Testing::fileBytes(index(PcodeIndex));

    // The same tree without links, the folder outside copied in.
    for (const QString& at : links)
        ASSERT_TRUE(QFile::remove(filing() + u'/' + at));
    QDir().mkpath(filing() + QStringLiteral("/Outside [50]"));
    for (const QString& file : {QStringLiteral("Profile.pro"), QStringLiteral("FileInfo.inf")})
        QFile::copy(outside + u'/' + file, filing() + QStringLiteral("/Outside [50]/") + file);
    setIndexFolder(path("PlainIndex"));
    QDir().mkpath(path("PlainIndex"));
    ASSERT_TRUE(RebuildIndexFile({}, {NameIndex, PcodeIndex}));
    EXPECT_EQ(names, Testing::fileBytes(indexPath(path("PlainIndex"), NameIndex)));
    EXPECT_EQ(postcodes, Testing::fileBytes(indexPath(path("PlainIndex"), PcodeIndex)));
}
