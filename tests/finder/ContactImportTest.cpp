// SPDX-License-Identifier: GPL-3.0-or-later
// Cards made into folders on a small demo workspace with its index: the
// folders as the new-contact panel makes them, the cards of a company in
// one company folder, duplicates skipped, the index brought up to date once.
#include "finder/ContactImport.h"

#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "datafiles/ProfileFile.h"
#include "index/Build.h"
#include "index/IndexTasks.h"
#include "index/Packing.h"
#include "index/Search.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Finding;

namespace {

class ContactImport : public testing::Test
{
protected:
    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{20};

    void SetUp() override
    {
        Indexing::setTaskFilePath(workspace.made.folder + QStringLiteral("/taskfile.bin"));
        ASSERT_TRUE(Indexing::RebuildIndexFile({}, {1, 2, 3, 4}));
    }
    void TearDown() override { Indexing::setTaskFilePath(QString()); }

    static SourcedCard card(const char* name, const char* company, int line)
    {
        ContactCard card;
        card.line = line;
        card.formattedName = QString::fromUtf8(name);
        card.organisation = QString::fromUtf8(company);
        card.isOrganisation = card.formattedName.isEmpty();
        return {QStringLiteral("cards.vcf:%1").arg(line), card};
    }

    // The references that the Name index finds for `clue`.
    static QStringList found(const QString& clue)
    {
        Indexing::ResultsList list;
        Indexing::SearchRequest request;
        request.Fields = {Indexing::NameIndex};
        request.Clue = clue;
        request.ResultsList = &list;
        request.HitLimit = -1;
        Indexing::Find(request);
        QStringList refs;
        for (int i = 0; i < list.count(); ++i)
            refs << list.row(i).data.section(QChar(1), -1);
        return refs;
    }

    static QList<ImportOutcome::Kind> kinds(const ImportReport& report)
    {
        QList<ImportOutcome::Kind> kinds;
        for (const ImportOutcome& outcome : report.outcomes)
            kinds << outcome.kind;
        return kinds;
    }
};

} // namespace

TEST_F(ContactImport, ACardGivesTheFieldsOfThePanel)
{
    ContactCard card;
    card.formattedName = QStringLiteral("Bob Ray");
    card.prefix = QStringLiteral("mr");
    card.jobTitle = QStringLiteral("Buyer");
    card.organisation = QStringLiteral("Acme");
    card.addresses = {{QStringLiteral("Unit 4"), QStringLiteral("Mill Road"),
                       QStringLiteral("Hunslet"), QStringLiteral("Leeds"), QString(),
                       QStringLiteral("LS1 0NG"), QString()},
                      {QString(), QStringLiteral("1 Elm Way"), QString(), QStringLiteral("York"),
                       QString(), QString(), QStringLiteral("France")}};
    card.numbers = {{QStringLiteral("07700 900123"), CardNumber::Mobile},
                    {QStringLiteral("bob@acme.example"), CardNumber::EMail}};
    const FileOperations::NewContactFields fields = cardFields(card, QStringLiteral("Wales"));
    EXPECT_EQ(fields.contactName, QStringLiteral("Bob Ray"));
    EXPECT_EQ(fields.companyName, QStringLiteral("Acme"));
    EXPECT_EQ(fields.title, QStringLiteral("mr"));
    EXPECT_TRUE(fields.titleMale);
    EXPECT_EQ(fields.position, QStringLiteral("Buyer"));
    // The first address only; no country in it gives the panel's default.
    EXPECT_EQ(fields.address,
              (std::array<QString, 6>{QStringLiteral("Unit 4"), QStringLiteral("Mill Road"),
                                      QStringLiteral("Hunslet"), QStringLiteral("Leeds"), QString(),
                                      QStringLiteral("LS1 0NG")}));
    EXPECT_EQ(fields.country, QStringLiteral("Wales"));
    ASSERT_EQ(fields.numbers.size(), 2);
    EXPECT_EQ(fields.numbers[0].kind, FileOperations::MobileNumber);
    EXPECT_EQ(fields.numbers[1].kind, FileOperations::EMailNumber);

    // The profile it gives keeps the job title.
    const DataFiles::ProfileRecord profile =
        FileOperations::newProfile(FileOperations::savedFields(fields), DataFiles::FolderO, true);
    EXPECT_EQ(profile.Position, QStringLiteral("Buyer"));
    EXPECT_EQ(profileCard(profile).jobTitle, QStringLiteral("Buyer"));
}

TEST_F(ContactImport, CardsOfACompanyShareItsFolderAndTheIndexIsUpdatedOnceAtTheEnd)
{
    const QList<SourcedCard> cards = {
        card("Ann Qzx", "Qzacme Ltd", 1),  card("Bob Qzy", "QZACME LTD", 9),
        card("", "Qzacme Ltd", 17),        card("Cy Qzw", "", 22),
        card("Ann Qzx", "Qzacme Ltd", 30),
    };
    QList<int> progress;
    ImportOptions options;
    options.progress = [&](int done, int total) { progress << done * 10 + total; };
    const ImportReport report = importContacts(cards, options);
    EXPECT_TRUE(host.boxes.isEmpty());
    EXPECT_EQ(progress, (QList<int>{15, 25, 35, 45, 55}));
    // The company's own card and the second Ann were made by this import
    // already.
    EXPECT_EQ(kinds(report), (QList<ImportOutcome::Kind>{
                                 ImportOutcome::Made, ImportOutcome::Made, ImportOutcome::Duplicate,
                                 ImportOutcome::Made, ImportOutcome::Duplicate}));
    EXPECT_EQ(report.made, 3);
    EXPECT_EQ(report.duplicates, 2);
    ASSERT_EQ(report.outcomes[0].folders.size(), 2);
    ASSERT_EQ(report.outcomes[1].folders.size(), 1);
    const QString company = report.outcomes[0].folders[0].second;
    EXPECT_EQ(QFileInfo(report.outcomes[1].folders[0].second).path(), company);
    EXPECT_EQ(Routines_ProfileFile::ReadProfile(report.outcomes[1].folders[0].second +
                                                QStringLiteral("/Profile.pro"))
                  .kind,
              DataFiles::FolderO);

    // One run of the tasks carried out all four folders' tasks.
    EXPECT_TRUE(report.tasksRun);
    EXPECT_EQ(report.tasks.done, 4);
    EXPECT_TRUE(Indexing::outstandingTasks().tasks.empty());
    EXPECT_EQ(found(QStringLiteral("Qzy")), QStringList{report.outcomes[1].folders[0].first});
    EXPECT_EQ(found(QStringLiteral("Qzacme")), QStringList{report.outcomes[0].folders[0].first});

    // Now the index knows them all: the same cards again are all skipped,
    // also a person of the same name in another company is not.
    QList<SourcedCard> again = cards;
    again << card("Ann Qzx", "Other Qzco", 40);
    const ImportReport second = importContacts(again, {});
    EXPECT_EQ(kinds(second),
              (QList<ImportOutcome::Kind>{ImportOutcome::Duplicate, ImportOutcome::Duplicate,
                                          ImportOutcome::Duplicate, ImportOutcome::Duplicate,
                                          ImportOutcome::Duplicate, ImportOutcome::Made}));
    EXPECT_TRUE(second.notes.isEmpty());

    // ... unless duplicates are allowed.
    ImportOptions allow;
    allow.allowDuplicates = true;
    EXPECT_EQ(importContacts(cards.mid(0, 2), allow).made, 2);
    EXPECT_EQ(found(QStringLiteral("Qzy")).size(), 2);
}

TEST_F(ContactImport, NothingIsMadeWhenTheNewContactsFolderCannotBeUsed)
{
    QDir(Global::GetDataFolder(QStringLiteral("NewContactsFolder"))).removeRecursively();
    host.expectBox(Platform::MsgAnswer::Ok,
                   QStringLiteral("the following path could not be accessed"));
    const ImportReport report = importContacts({card("Ann Qzx", "", 1), card("Bo Qzq", "", 5)}, {});
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.outcomes.isEmpty());
    EXPECT_EQ(host.boxes.size(), 1);
}
