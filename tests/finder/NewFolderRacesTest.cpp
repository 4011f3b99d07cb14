// SPDX-License-Identifier: GPL-3.0-or-later
// New folders made by several makers at once, and by makers killed at any
// step: forked processes on one demo workspace, checked with the index as
// `vantix index tasks run`, `verify` and `search` check it.
#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "finder/NewFolders.h"
#include "index/Build.h"
#include "index/IndexTasks.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/Search.h"
#include "index/Verify.h"
#include "platform/ConsoleUiHost.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QDir>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace FileOperations;
using Routines_FileInfoFile::ReadFileInfo;

namespace {

// The exit status of a maker killed on purpose.
constexpr int Killed = 9;

class NewFolderRaces : public testing::Test
{
protected:
    void SetUp() override
    {
        Indexing::setTaskFilePath(workspace.made.folder + QStringLiteral("/taskfile.bin"));
        newContacts = Global::GetDataFolder(QStringLiteral("NewContactsFolder"));
        ASSERT_FALSE(newContacts.isEmpty());
        ASSERT_TRUE(Indexing::RebuildIndexFile({}, {1, 2, 3, 4}));
    }
    void TearDown() override { Indexing::setTaskFilePath(QString()); }

    // A word that names one folder alone: "Qa" and two letters of `n`.
    static QString word(int n)
    {
        return QStringLiteral("Qa") + QChar(u'a' + n / 26 % 26) + QChar(u'a' + n % 26);
    }

    // Runs `body` in `count` processes at once, each with a settings
    // connection of its own (none crosses a fork) and the command line's host,
    // which really waits; their exit statuses: 0 when `body` succeeded and no
    // box said it failed.
    QList<int> inProcesses(int count, const std::function<bool(int process)>& body)
    {
        Global::setSettingsHive(nullptr);
        std::vector<pid_t> children;
        for (int i = 0; i < count; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                Global::setSettingsHive(Platform::RegistryHive::open(workspace.made.registry));
                Platform::ConsoleUiHost console;
                Platform::setUiHost(&console);
                const bool done = body(i);
                ::_exit(done && !console.failed() ? 0 : 1);
            }
            children.push_back(child);
        }
        QList<int> statuses;
        for (const pid_t child : children) {
            int status = 0;
            statuses << (::waitpid(child, &status, 0) == child && WIFEXITED(status)
                             ? WEXITSTATUS(status)
                             : -1);
        }
        Global::setSettingsHive(Platform::RegistryHive::open(workspace.made.registry));
        return statuses;
    }

    // The references that the Name index finds for `clue`.
    static QStringList found(const QString& clue)
    {
        Indexing::ResultsList list;
        Indexing::SearchRequest request;
        request.Fields = {1};
        request.Clue = clue;
        request.ResultsList = &list;
        request.HitLimit = -1;
        Indexing::Find(request);
        EXPECT_TRUE(request.skipped.isEmpty()) << clue.toStdString();
        QStringList refs;
        for (int i = 0; i < list.count(); ++i)
            refs << list.row(i).data.section(QChar(1), -1);
        return refs;
    }

    // Every index walks whole without damage.
    static void expectIndexesWhole()
    {
        for (int n = 1; n <= 4; ++n) {
            QFile file(Indexing::indexPath(Indexing::indexFolder(), n));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            EXPECT_TRUE(Indexing::summarizeIndex(Indexing::BytesSource(bytes)).damage.isEmpty())
                << n;
        }
    }

    // The folders of `parent` whose names begin with `name`, unfinished ones
    // too.
    static QStringList foldersNamed(const QString& parent, const QString& name)
    {
        return QDir(parent).entryList({name + u'*'}, QDir::Dirs | QDir::Hidden);
    }

    // A folder that is there is whole: its information and profile read
    // whole, and the index finds it once by the word of its name.
    static QString expectWhole(const QString& folder, const QString& name, const QString& word)
    {
        const DataFiles::FileInfoRecord info =
            ReadFileInfo(folder + QStringLiteral("/FileInfo.inf"), true);
        EXPECT_NE(info.FolderID, 0) << folder.toStdString();
        EXPECT_TRUE(folder.endsWith(QStringLiteral(" [") + info.RealRef + u']'))
            << folder.toStdString();
        EXPECT_EQ(Routines_ProfileFile::ReadProfile(folder + QStringLiteral("/Profile.pro"), true)
                      .displayName,
                  name);
        EXPECT_EQ(found(word), QStringList{info.RealRef}) << folder.toStdString();
        return info.RealRef;
    }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{6};
    QString newContacts;
};

} // namespace

// Eight makers each make 25 contacts in one parent at once, their tasks run
// as they go: every folder has its own reference, the parent counts them all
// and lists them all, and the index finds each once.
TEST_F(NewFolderRaces, MakersAtOnceGiveEachFolderItsOwnReference)
{
    constexpr int Makers = 8;
    constexpr int Each = 25;
    // Eight makers take turns with the parent: on a loaded machine a turn may
    // be long in coming.
    Global::SaveRegistryData(QStringLiteral("Tweaks"), QStringLiteral("AccessAttempts"),
                             QStringLiteral("20"));
    Global::GetTweak(-1);
    const DataFiles::FileInfoRecord before =
        ReadFileInfo(newContacts + QStringLiteral("/FileInfo.inf"));
    const QList<int> statuses = inProcesses(Makers, [&](int maker) {
        for (int i = 0; i < Each; ++i) {
            NewContactFields fields;
            fields.contactName = QStringLiteral("Racer ") + word(maker * Each + i);
            const CreatedFolders made = CreateQuickAndDirtyCompany(fields, {});
            if (made.contactRef.isEmpty() || !made.incomplete.isEmpty())
                return false;
        }
        return true;
    });
    EXPECT_EQ(statuses, QList<int>(Makers, 0));
    // What runs found busy meanwhile.
    EXPECT_FALSE(Indexing::RunIndexTasks().failed);

    const DataFiles::FileInfoRecord parent =
        ReadFileInfo(newContacts + QStringLiteral("/FileInfo.inf"));
    EXPECT_EQ(parent.LastRef, before.LastRef + Makers * Each);
    EXPECT_EQ(parent.FolderSummary.count(DataFiles::SummaryOpen),
              before.FolderSummary.count(DataFiles::SummaryOpen) + Makers * Each);
    expectIndexesWhole();
    QSet<QString> refs;
    for (int n = 0; n < Makers * Each; ++n) {
        const QStringList folders = foldersNamed(newContacts, QStringLiteral("Racer ") + word(n));
        ASSERT_EQ(folders.size(), 1) << n;
        refs.insert(expectWhole(newContacts + u'/' + folders[0], QStringLiteral("Racer ") + word(n),
                                word(n)));
    }
    EXPECT_EQ(refs.size(), Makers * Each);
}

// A maker killed before any one write, rename or folder making of a company
// and its contact leaves each folder away or whole; the next task run
// indexes what is there, and the next maker in the parent clears away what
// was left unfinished.
TEST_F(NewFolderRaces, AMakerKilledAtAnyStepLeavesNoFolderOrAWholeOne)
{
    Global::SaveRegistryData(QStringLiteral("Config"), QStringLiteral("IndexNewFoldersAtOnce"),
                             QStringLiteral("0"));
    using Op = Platform::File::Operation;
    int status = Killed;
    int k = 0;
    int left = 0;
    while (status == Killed && k < 100) {
        ++k;
        const QString company = QStringLiteral("Killed ") + word(k);
        const QString contact = QStringLiteral("Kim ") + word(k + 500);
        status = inProcesses(1, [&](int) {
            int operations = 0;
            Platform::File::setFaultHook([&](const QString&, Op operation) {
                if (operation != Op::Open && operation != Op::Read && ++operations == k)
                    ::_exit(Killed);
                return 0;
            });
            NewContactFields fields;
            fields.companyName = company;
            fields.contactName = contact;
            return !CreateQuickAndDirtyCompany(fields, {}).contactRef.isEmpty();
        })[0];
        ASSERT_TRUE(status == Killed || status == 0) << k << ": " << status;

        EXPECT_FALSE(Indexing::RunIndexTasks().failed) << k;
        expectIndexesWhole();
        // What an earlier maker left unfinished went with this one's claim.
        const QStringList unfinished = foldersNamed(newContacts, Platform::UnfinishedFolderPrefix);
        EXPECT_LE(unfinished.size(), 1) << k;
        left += int(unfinished.size());
        const QStringList companies = foldersNamed(newContacts, company);
        ASSERT_LE(companies.size(), 1) << k;
        if (companies.isEmpty()) {
            EXPECT_TRUE(found(word(k)).isEmpty()) << k;
            continue;
        }
        const QString made = newContacts + u'/' + companies[0];
        expectWhole(made, company, word(k));
        const QStringList contacts = foldersNamed(made, contact);
        ASSERT_LE(contacts.size(), 1) << k;
        if (contacts.isEmpty())
            EXPECT_TRUE(found(word(k + 500)).isEmpty()) << k;
        else
            expectWhole(made + u'/' + contacts[0], contact, word(k + 500));
    }
    EXPECT_EQ(status, 0) << "the maker never got to the end";
    EXPECT_GT(k, 10);

    EXPECT_GT(left, 0);

    // Nothing unfinished is listed; the next maker clears it away.
    for (const Platform::FolderEntry& entry : Platform::listFolders(newContacts, u"*"))
        EXPECT_FALSE(Platform::isUnfinishedFolder(entry.name)) << entry.name.toStdString();
    NewContactFields fields;
    fields.contactName = QStringLiteral("Last One");
    EXPECT_FALSE(CreateQuickAndDirtyCompany(fields, {}).contactRef.isEmpty());
    EXPECT_TRUE(foldersNamed(newContacts, Platform::UnfinishedFolderPrefix).isEmpty());
}
