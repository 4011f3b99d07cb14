// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/NewFolders.h"

#include "DataFileTesting.h"
#include "UnreadableFileInfo.h"
#include "datafiles/DataFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "index/OpenIndex.h"
#include "index/TaskFile.h"
#include "platform/File.h"
#include "shared/Paths.h"

#include <QDir>
#include <QFileInfo>

using namespace FileOperations;
using DataFiles::FileInfoRecord;
using DataFiles::ProfileRecord;
using Platform::MsgAnswer;
using Routines_FileInfoFile::ReadFileInfo;
using Routines_FileInfoFile::writeFileInfoRecord;

namespace {

// A New Contacts folder "New Contacts [50]" (LastRef 0) in a filing tree of
// the settings mode "Test"; the index task file beside it; tasks are queued,
// not run.
class NewFolders : public Testing::DataFileTest
{
protected:
    void SetUp() override
    {
        settings.set(QStringLiteral("Config"), QStringLiteral("IndexNewFoldersAtOnce"),
                     QStringLiteral("0"));
        settings.useTestMode({{"FilingFolder", path("Filing")},
                              {"NewContactsFolder", newContacts()},
                              {"Local", QStringLiteral("-1")}});
        Global::FindFolderByRef(QString(), QString());
        folder(newContacts(), 5, QStringLiteral("50"));
        Indexing::setTaskFilePath(path("taskfile.bin"));
    }
    void TearDown() override
    {
        Indexing::setTaskFilePath(QString());
        Global::GetDataFolder(QString(), true);
    }

    QString newContacts() const { return path("Filing/New Contacts [50]"); }
    QString info(const QString& folder) const { return folder + QStringLiteral("/FileInfo.inf"); }
    // Every sub-folder, unfinished ones too.
    static QStringList subFolders(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // A folder with its information file.
    QString folder(const QString& at, qint16 kind, const QString& ref, qint32 lastRef = 0)
    {
        QDir().mkpath(at);
        FileInfoRecord record;
        record.FolderID = kind;
        record.RealRef = ref;
        record.LastRef = lastRef;
        writeFileInfoRecord(info(at), record);
        return at;
    }

    std::vector<Indexing::IndexTask> queuedTasks() const
    {
        const QByteArray bytes = Testing::fileBytes(path("taskfile.bin"));
        std::vector<Indexing::IndexTask> tasks;
        qint64 at = 19;
        while (at <= bytes.size()) {
            Indexing::IndexTask task;
            const auto read = DataFiles::readRecord(bytes, at, task);
            if (!read.complete)
                break;
            tasks.push_back(task);
            at = read.next;
        }
        return tasks;
    }

    NewContactFields acme() const
    {
        NewContactFields fields;
        fields.companyName = QStringLiteral("Acme: Who?");
        fields.contactName = QStringLiteral("Jane Smith");
        fields.title = QStringLiteral("Ms");
        fields.address = {
            QStringLiteral("Unit 4"), QStringLiteral("Mill Road"),      QString(),
            QStringLiteral("Leeds"),  QStringLiteral("West Yorkshire"), QStringLiteral("LS1 0NG")};
        fields.country = QStringLiteral("United Kingdom");
        fields.numbers = {{QStringLiteral("0113 496 0000"), TelephoneNumber},
                          {QStringLiteral("jane@acme.example"), EMailNumber}};
        return fields;
    }
};

} // namespace

TEST_F(NewFolders, SafeNamesAndTitles)
{
    EXPECT_EQ(SafeName(QStringLiteral("Acme: Who?")), QStringLiteral("Acme; Who-"));
    EXPECT_EQ(SafeName(QStringLiteral("*?\\/:<>|\"x")), QStringLiteral("#-;;;--''x"));
    EXPECT_EQ(FolderName(QStringLiteral("Acme"), QStringLiteral("12")),
              QStringLiteral("Acme [12]"));
    EXPECT_EQ(FolderName(QString(), QStringLiteral("7")), QStringLiteral("[7]"));

    const QList<TitleItem> titles = titleItems();
    ASSERT_EQ(titles.size(), 10);
    EXPECT_EQ(titles[0].text, QStringLiteral("Mr"));
    EXPECT_TRUE(titles[0].male);
    EXPECT_EQ(titles[5].text, QStringLiteral("Dr (F)"));
    EXPECT_FALSE(titles[5].male);
}

TEST_F(NewFolders, ASuggestionCountsOnFromLastRefPastFoldersThatExistAndStoresIt)
{
    const struct
    {
        const char* parent;
        qint32 lastRef; // -1: the parent has no information file
        const char* children;
        const char* suggestion;
        qint32 stored;
    } cases[] = {
        {"Filing/X [7]", 3, "Y [7-4]", "7-5", 5},
        {"Filing/X [7-2]", 0, "", "7-2-1", 1},
        {"Filing/[0]", 0, "[1]", "2", 2},
        {"Filing/Plain", 9, "", "10", 10},
        // No information file: one more than the highest of the sub-folders,
        // kept in the file that the folder gets.
        {"Filing/Z [12]", -1, "[12-2],A [12-9],B [13-40],C [12-x]", "12-10", 10},
    };
    for (const auto& c : cases) {
        const QString parent = path(c.parent);
        QDir().mkpath(parent);
        if (c.lastRef >= 0)
            folder(parent, 5, QString(), c.lastRef);
        for (const QString& child : QString::fromUtf8(c.children).split(u',', Qt::SkipEmptyParts))
            QDir().mkpath(parent + u'/' + child);
        EXPECT_EQ(GetNewFolderSuggestion(parent), QString::fromUtf8(c.suggestion)) << c.parent;
        EXPECT_EQ(ReadFileInfo(info(parent)).LastRef, c.stored) << c.parent;
    }
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(NewFolders, ACompanyAndItsContactGetFoldersProfilesAndTasks)
{
    QList<int> progress;
    const CreatedFolders made =
        CreateQuickAndDirtyCompany(acme(), {[&](int value) { progress << value; }, {}, {}});
    EXPECT_TRUE(host.boxes.isEmpty());
    EXPECT_EQ(made.companyRef, QStringLiteral("50-1"));
    EXPECT_EQ(made.contactRef, QStringLiteral("50-1-1"));
    EXPECT_EQ(made.companyFolder, newContacts() + QStringLiteral("/Acme; Who- [50-1]"));
    EXPECT_EQ(made.contactFolder, made.companyFolder + QStringLiteral("/Jane Smith [50-1-1]"));
    EXPECT_TRUE(made.incomplete.isEmpty());
    EXPECT_FALSE(made.tasksRun);
    EXPECT_EQ(progress.first(), 0);
    EXPECT_EQ(progress.last(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    // The parents count the references given out and list their children.
    const FileInfoRecord parent = ReadFileInfo(info(newContacts()));
    EXPECT_EQ(parent.LastRef, 1);
    EXPECT_EQ(parent.HasChildFolders, -1);
    EXPECT_EQ(parent.FolderSummary, DataFiles::folderSummaryEntry(QStringLiteral("50-1"), 3));
    EXPECT_EQ(ReadFileInfo(info(made.companyFolder)).LastRef, 1);

    const FileInfoRecord company = ReadFileInfo(info(made.companyFolder));
    EXPECT_EQ(company.FolderID, DataFiles::FolderC);
    EXPECT_EQ(company.RealRef, QStringLiteral("50-1"));
    const FileInfoRecord contact = ReadFileInfo(info(made.contactFolder));
    EXPECT_EQ(contact.FolderID, DataFiles::FolderO);
    EXPECT_EQ(contact.RealRef, QStringLiteral("50-1-1"));

    const ProfileRecord co =
        Routines_ProfileFile::ReadProfile(made.companyFolder + QStringLiteral("/Profile.pro"));
    EXPECT_EQ(co.kind, DataFiles::FolderC);
    EXPECT_EQ(co.CoName, QStringLiteral("Acme: Who?"));
    EXPECT_EQ(co.displayName, QStringLiteral("Acme: Who?"));
    EXPECT_EQ(co.addresses[0].postcode, QStringLiteral("LS1 0NG"));
    EXPECT_TRUE(co.indexFlag());
    EXPECT_FALSE(co.contacts[0].inUse()) << "the numbers are the contact's";

    const ProfileRecord jane =
        Routines_ProfileFile::ReadProfile(made.contactFolder + QStringLiteral("/Profile.pro"));
    EXPECT_EQ(jane.kind, DataFiles::FolderO);
    EXPECT_EQ(jane.FullName, QStringLiteral("Jane Smith"));
    EXPECT_EQ(jane.displayName, QStringLiteral("Jane Smith"));
    EXPECT_EQ(jane.CoName, QStringLiteral("Acme: Who?"));
    EXPECT_EQ(jane.Title, QStringLiteral("Ms"));
    EXPECT_EQ(jane.Dear, QStringLiteral("Ms Smith"));
    const DataFiles::ProfileAddress& address = jane.addresses[0];
    EXPECT_EQ(address.inUse, -1);
    EXPECT_EQ(address.building, QStringLiteral("Unit 4"));
    EXPECT_EQ(address.road, QStringLiteral("Mill Road"));
    EXPECT_EQ(address.town, QStringLiteral("Leeds"));
    EXPECT_EQ(address.county, QStringLiteral("West Yorkshire"));
    EXPECT_EQ(address.postcode, QStringLiteral("LS1 0NG"));
    EXPECT_EQ(address.country, QStringLiteral("United Kingdom"));
    EXPECT_EQ(jane.TelNum(), QStringLiteral("0113 496 0000"));
    EXPECT_EQ(jane.EMailNum(), QStringLiteral("jane@acme.example"));
    EXPECT_EQ(jane.contacts[1].label, QStringLiteral("E-mail"));
    EXPECT_TRUE(jane.indexFlag());

    const std::vector<Indexing::IndexTask> tasks = queuedTasks();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].Action, 1);
    EXPECT_EQ(tasks[0].Ref, QStringLiteral("50-1"));
    EXPECT_EQ(tasks[0].Kind, DataFiles::FolderC);
    EXPECT_EQ(tasks[0].Mode, QStringLiteral("Test"));
    EXPECT_EQ(tasks[0].Folder, made.companyFolder);
    EXPECT_EQ(tasks[1].Ref, QStringLiteral("50-1-1"));
    EXPECT_EQ(tasks[1].Kind, DataFiles::FolderO);
    EXPECT_EQ(tasks[1].Values, (std::array<QString, 4>{}));
}

TEST_F(NewFolders, ACompanyAloneKeepsTheNumbersAndAContactAloneIsAPrivatePerson)
{
    NewContactFields fields = acme();
    fields.contactName.clear();
    CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
    EXPECT_EQ(made.companyRef, QStringLiteral("50-1"));
    EXPECT_EQ(made.contactRef, QString());
    EXPECT_EQ(Routines_ProfileFile::ReadProfile(made.companyFolder + QStringLiteral("/Profile.pro"))
                  .TelNum(),
              QStringLiteral("0113 496 0000"));

    fields = acme();
    fields.companyName = QStringLiteral("   ");
    made = CreateQuickAndDirtyCompany(fields, {});
    EXPECT_EQ(made.companyRef, QString());
    EXPECT_EQ(made.contactRef, QStringLiteral("50-2"));
    EXPECT_EQ(made.contactFolder, newContacts() + QStringLiteral("/Jane Smith [50-2]"));
    EXPECT_EQ(ReadFileInfo(info(made.contactFolder)).FolderID, DataFiles::FolderF);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(NewFolders, NothingIsMadeWhenTheNewContactsFolderCannotBeUsed)
{
    settings.set(QStringLiteral("Config\\Modes\\Test"), QStringLiteral("NewContactsFolder"),
                 path("Gone"));
    Global::GetDataFolder(QString(), true);
    host.expectBox(MsgAnswer::Ok, QStringLiteral("the following path could not be accessed"));
    const CreatedFolders made = CreateQuickAndDirtyCompany(acme(), {});
    EXPECT_EQ(made.companyRef, QString());
    EXPECT_EQ(made.contactRef, QString());
    EXPECT_FALSE(QFile::exists(path("Gone")));
}

// The new-contacts folder's information file cannot be read whole: no
// reference is given out, nothing is made and the file stays as it was.
TEST_F(NewFolders, NothingIsMadeWhenTheParentsInformationCannotBeRead)
{
    const QByteArray good = Testing::fileBytes(info(newContacts()));
    for (const Testing::UnreadableFileInfo& c : Testing::unreadableFileInfo(good)) {
        Platform::File holder = c.put(info(newContacts()));
        host.expectBox(c.answer, QString::fromUtf8(c.box));
        host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to find a free reference"));
        const CreatedFolders made = CreateQuickAndDirtyCompany(acme(), {});
        holder.close();
        EXPECT_EQ(made.companyRef, QString()) << c.state;
        EXPECT_EQ(Testing::fileBytes(info(newContacts())), c.bytes) << c.state;
        EXPECT_EQ(subFolders(newContacts()), QStringList()) << c.state;
        EXPECT_EQ(host.boxes.size(), 2) << c.state;
        host.boxes.clear();
    }
    EXPECT_TRUE(queuedTasks().empty());
}

// A failure while a folder is made and filled leaves nothing behind: no
// folder, no unfinished one, no reference given out. The message names the
// folder and what went wrong (a New Contacts folder shut to the user gives
// "Permission denied").
TEST_F(NewFolders, AFailureWhileAFolderIsFilledLeavesNothing)
{
    using Op = Platform::File::Operation;
    const struct
    {
        const char* what;
        Op operation;
        const char* path;
        int error;
        const char* says;
    } cases[] = {
        {"folder", Op::MakeFolder, ".unfinished-", Platform::RunTimeError::PermissionDenied,
         "Permission denied"},
        {"information", Op::Write, "FileInfo.inf", Platform::RunTimeError::DiskFull, "Disk full"},
        {"profile", Op::Write, "Profile.pro", Platform::RunTimeError::DeviceIoError,
         "Device I/O error"},
        {"renaming", Op::Rename, "[50-1]", Platform::RunTimeError::DeviceIoError,
         "Device I/O error"},
    };
    for (const auto& c : cases) {
        Platform::File::setFaultHook([&](const QString& file, Op operation) {
            return operation == c.operation && file.contains(QLatin1String(c.path)) &&
                           file.contains(QLatin1String("New Contacts [50]/"))
                       ? c.error
                       : 0;
        });
        host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to create the folder"));
        const CreatedFolders made = CreateQuickAndDirtyCompany(acme(), {});
        Platform::File::setFaultHook({});
        EXPECT_EQ(made.companyRef, QString()) << c.what;
        ASSERT_EQ(host.boxes.size(), 1) << c.what;
        EXPECT_TRUE(
            host.boxes[0].text.contains(newContacts() + QStringLiteral("/Acme; Who- [50-1]")))
            << c.what;
        EXPECT_TRUE(host.boxes[0].text.contains(QLatin1String(c.says))) << c.what;
        EXPECT_EQ(subFolders(newContacts()), QStringList()) << c.what;
        EXPECT_EQ(ReadFileInfo(info(newContacts())).LastRef, 0) << c.what;
        host.boxes.clear();
    }
    EXPECT_EQ(CreateQuickAndDirtyCompany(acme(), {}).companyRef, QStringLiteral("50-1"));
}

// A folder that turns up under the chosen name just before the new one is
// put in place (made by a writer that ignores the claim) is stepped over.
TEST_F(NewFolders, AFolderThatTurnsUpUnderTheNameTakesTheNextNumber)
{
    NewContactFields fields = acme();
    fields.contactName.clear();
    Platform::File::setFaultHook([&](const QString& file, Platform::File::Operation operation) {
        if (operation == Platform::File::Operation::Rename && file.endsWith(u"[50-1]"))
            QDir().mkdir(file);
        return 0;
    });
    const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
    Platform::File::setFaultHook({});
    EXPECT_EQ(made.companyRef, QStringLiteral("50-2"));
    EXPECT_EQ(ReadFileInfo(info(made.companyFolder)).RealRef, QStringLiteral("50-2"));
    EXPECT_EQ(ReadFileInfo(info(newContacts())).LastRef, 2);
    EXPECT_EQ(subFolders(newContacts()), (QStringList{QStringLiteral("Acme; Who- [50-1]"),
                                                      QStringLiteral("Acme; Who- [50-2]")}));
}

// A folder whose task cannot be queued is made all the same (a rebuild finds
// it) and named with what it lacks.
TEST_F(NewFolders, AFolderWhoseTaskCannotBeQueuedIsNamedIncomplete)
{
    Platform::File::setFaultHook([](const QString& file, Platform::File::Operation) {
        return file.endsWith(QStringLiteral("taskfile.bin"))
                   ? int(Platform::RunTimeError::DeviceIoError)
                   : 0;
    });
    NewContactFields fields = acme();
    fields.contactName.clear();
    host.expectBox(MsgAnswer::Cancel, QStringLiteral("unable to open the file"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("is not complete"));
    const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
    Platform::File::setFaultHook({});
    EXPECT_EQ(made.companyRef, QStringLiteral("50-1"));
    EXPECT_EQ(made.incomplete, QStringList{made.companyFolder});
    EXPECT_TRUE(host.boxes.at(1).text.contains(path("taskfile.bin")));
    EXPECT_EQ(ReadFileInfo(info(made.companyFolder)).RealRef, QStringLiteral("50-1"));
}

// A name too long for a folder (too many characters for the suite, or too
// many bytes for the file system in one part) is shortened with the user's
// consent, as every new folder is; without it nothing is made.
TEST_F(NewFolders, ALongNameIsShortenedOnlyWithConsent)
{
    const struct
    {
        QString name;
        const char* question;
    } cases[] = {
        {QString(300, u'x'), "longer than Windows allows (238 characters)"},
        {QString(100, QChar(0x20AC)), "longer than the file system allows (255 bytes)"},
    };
    for (const auto& c : cases) {
        NewContactFields fields;
        fields.companyName = c.name;
        const QStringList before = subFolders(newContacts());
        host.expectBox(MsgAnswer::No, QString::fromUtf8(c.question));
        EXPECT_EQ(CreateQuickAndDirtyCompany(fields, {}).companyRef, QString());
        EXPECT_EQ(subFolders(newContacts()), before);

        host.expectBox(MsgAnswer::Yes, QString::fromUtf8(c.question));
        const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
        ASSERT_FALSE(made.companyRef.isEmpty()) << c.question;
        const QString name = QFileInfo(made.companyFolder).fileName();
        EXPECT_LE(made.companyFolder.size(), 238);
        EXPECT_LE(QFile::encodeName(name).size(), 255);
        EXPECT_TRUE(name.endsWith(QStringLiteral(" [") + made.companyRef + u']'));
        EXPECT_TRUE(QDir(made.companyFolder).exists());
        EXPECT_EQ(host.boxes.size(), 2);
        host.boxes.clear();
    }
}

// What goes into the suite's 8-bit files and the folder's name are one text:
// characters that Windows-1252 lacks are transliterated, control characters
// are blanks, and the user is told what a name became.
TEST_F(NewFolders, NamesInAnyScriptAreSavedAndNamedAlike)
{
    const struct
    {
        const char* typed;
        const char* saved;
    } texts[] = {
        {"Zoë Zhang", "Zoë Zhang"},
        {"Ωmega Ltd", "Omega Ltd"},
        {"Łódź", "Lódz"},
        {"Ann\nBell\tCo\x7f\r", "Ann Bell Co  "},
        {"\U0001F642 Ltd", "? Ltd"},
    };
    for (const auto& t : texts)
        EXPECT_EQ(savedText(QString::fromUtf8(t.typed)), QString::fromUtf8(t.saved)) << t.typed;

    NewContactFields fields = acme();
    fields.companyName = QStringLiteral("Ωmega Ltd");
    fields.contactName = QStringLiteral("Zoë\nZhang");
    fields.address[3] = QStringLiteral("Łódź");
    EXPECT_EQ(nameNotices(fields),
              QStringList{QStringLiteral("\"Ωmega Ltd\" is saved as \"Omega Ltd\": the files of "
                                         "Vantix cannot hold some of its characters.")});
    const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
    EXPECT_TRUE(host.boxes.isEmpty());
    EXPECT_EQ(made.companyFolder, newContacts() + QStringLiteral("/Omega Ltd [50-1]"));
    EXPECT_EQ(made.contactFolder, made.companyFolder + QStringLiteral("/Zoë Zhang [50-1-1]"));
    const ProfileRecord jane =
        Routines_ProfileFile::ReadProfile(made.contactFolder + QStringLiteral("/Profile.pro"));
    EXPECT_EQ(jane.CoName, QStringLiteral("Omega Ltd"));
    EXPECT_EQ(jane.FullName, QStringLiteral("Zoë Zhang"));
    EXPECT_EQ(jane.addresses[0].town, QStringLiteral("Lódz"));
    const std::vector<Indexing::IndexTask> tasks = queuedTasks();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].Folder, made.companyFolder);
    EXPECT_EQ(tasks[1].Folder, made.contactFolder);
}

// A text that a text field of the files cannot hold is refused rather than
// cut; the longest one that fits is saved whole. A parent's summary that
// could not take the new entry whole is kept as it was.
TEST_F(NewFolders, TextsLongerThanAFieldHoldsAreRefused)
{
    NewContactFields fields = acme();
    fields.contactName.clear();
    fields.address[1] = QString(65536, u'r');
    host.expectBox(MsgAnswer::Ok, QStringLiteral("The text of \"Road\" is too long"));
    EXPECT_EQ(CreateQuickAndDirtyCompany(fields, {}).companyRef, QString());
    EXPECT_EQ(subFolders(newContacts()), QStringList());

    FileInfoRecord parent = ReadFileInfo(info(newContacts()));
    parent.FolderSummary = QString(65530, u's');
    writeFileInfoRecord(info(newContacts()), parent);
    fields.address[1].chop(1);
    const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
    ASSERT_EQ(made.companyRef, QStringLiteral("50-1"));
    EXPECT_EQ(Routines_ProfileFile::ReadProfile(made.companyFolder + QStringLiteral("/Profile.pro"))
                  .addresses[0]
                  .road,
              fields.address[1]);
    const FileInfoRecord after = ReadFileInfo(info(newContacts()));
    EXPECT_EQ(after.FolderSummary, parent.FolderSummary);
    EXPECT_EQ(after.LastRef, 1);
    EXPECT_EQ(after.HasChildFolders, -1);
}
