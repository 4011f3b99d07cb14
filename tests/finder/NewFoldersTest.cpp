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
        // No information file: one more than the highest of the sub-folders.
        {"Filing/Z [12]", -1, "[12-2],A [12-9],B [13-40],C [12-x]", "12-10", -1},
    };
    for (const auto& c : cases) {
        const QString parent = path(c.parent);
        QDir().mkpath(parent);
        if (c.lastRef >= 0)
            folder(parent, 5, QString(), c.lastRef);
        for (const QString& child : QString::fromUtf8(c.children).split(u',', Qt::SkipEmptyParts))
            QDir().mkpath(parent + u'/' + child);
        EXPECT_EQ(GetNewFolderSuggestion(parent), QString::fromUtf8(c.suggestion)) << c.parent;
        if (c.stored >= 0)
            EXPECT_EQ(ReadFileInfo(info(parent)).LastRef, c.stored) << c.parent;
        else
            EXPECT_FALSE(QFile::exists(info(parent))) << c.parent;
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
        host.expectBox(MsgAnswer::Ok, QStringLiteral("DEBUG: No folder suggestion"));
        const CreatedFolders made = CreateQuickAndDirtyCompany(acme(), {});
        holder.close();
        EXPECT_EQ(made.companyRef, QString()) << c.state;
        EXPECT_EQ(Testing::fileBytes(info(newContacts())), c.bytes) << c.state;
        EXPECT_EQ(QDir(newContacts()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList())
            << c.state;
        EXPECT_EQ(host.boxes.size(), 2) << c.state;
        host.boxes.clear();
    }
    EXPECT_TRUE(queuedTasks().empty());
}

// A folder made but left without its profile says what it lacks; the
// references given out are never given again.
TEST_F(NewFolders, AFolderLeftIncompleteIsNamedWithWhatItLacks)
{
    Platform::File::setFaultHook([](const QString& file, Platform::File::Operation) {
        return file.endsWith(QStringLiteral("[50-1]/Profile.pro"))
                   ? int(Platform::RunTimeError::DeviceIoError)
                   : 0;
    });
    host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to save the contact details"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("is not complete"));
    const CreatedFolders made = CreateQuickAndDirtyCompany(acme(), {});
    Platform::File::setFaultHook({});
    EXPECT_EQ(made.companyRef, QStringLiteral("50-1"));
    EXPECT_EQ(made.contactRef, QStringLiteral("50-1-1"));
    EXPECT_EQ(made.incomplete, QStringList{made.companyFolder});
    EXPECT_TRUE(
        host.boxes.at(1).text.contains(made.companyFolder + QStringLiteral("/Profile.pro")));
    EXPECT_EQ(queuedTasks().size(), 2u);

    const CreatedFolders next = CreateQuickAndDirtyCompany(acme(), {});
    EXPECT_EQ(next.companyRef, QStringLiteral("50-2"));
}

// A name too long for a folder is shortened with the user's consent, as
// every new folder is; without it nothing is made.
TEST_F(NewFolders, ALongNameIsShortenedOnlyWithConsent)
{
    NewContactFields fields;
    fields.companyName = QString(300, u'x');
    host.expectBox(MsgAnswer::No, QStringLiteral("automatically shorten the folder name"));
    EXPECT_EQ(CreateQuickAndDirtyCompany(fields, {}).companyRef, QString());
    EXPECT_EQ(QDir(newContacts()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());

    host.expectBox(MsgAnswer::Yes, QStringLiteral("automatically shorten the folder name"));
    const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
    EXPECT_EQ(made.companyRef, QStringLiteral("50-2"));
    EXPECT_EQ(made.companyFolder.size(), 238);
    EXPECT_TRUE(made.companyFolder.endsWith(QStringLiteral(" [50-2]")));
    EXPECT_TRUE(QDir(made.companyFolder).exists());
}
