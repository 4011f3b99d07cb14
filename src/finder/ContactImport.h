// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ContactCards.h"
#include "NewFolders.h"

#include <functional>

// Address-book cards made into company and contact folders, as the
// new-contact panel makes them; and the cards of folders, for an address
// book to take back.
namespace Finding {

// A card and where it came from ("contacts.vcf:12").
struct SourcedCard
{
    QString source;
    ContactCard card;
};

struct ImportOptions
{
    // Makes a card whose contact stands in the index already all the same.
    bool allowDuplicates = false;
    // The country of a card that gives none, as the panel's country box.
    QString defaultCountry;
    // After each card: the cards done and all of them.
    std::function<void(int done, int total)> progress;
};

struct ImportOutcome
{
    enum Kind
    {
        Made,
        Duplicate, // skipped: its contact stands in the index already
        NotMade,   // the folders could not be made (a message said why)
    };
    QString source;
    QString name; // the contact's name, else the company's
    QString company;
    Kind kind = NotMade;
    // The folders made, company first: reference and path.
    QList<std::pair<QString, QString>> folders;
};

struct ImportReport
{
    QList<ImportOutcome> outcomes; // a card each, in order
    int made = 0, duplicates = 0, notMade = 0;
    // Nothing was made: the New Contacts folder cannot be used (926).
    bool stopped = false;
    // The index could not be searched for duplicates: why, once.
    QStringList notes;
    QStringList incomplete; // folders made but not recorded everywhere
    Indexing::TaskRunReport tasks;
    bool tasksRun = false;
};

// What the panel's fields would hold for a card: its person (or none for an
// organisation's own card), company, title, job title, first address and
// every number. A card without a country gets `defaultCountry`.
FileOperations::NewContactFields cardFields(const ContactCard& card, const QString& defaultCountry);

// Makes each card's company folder and contact folder inside it, as the
// panel does (CreateQuickAndDirtyCompany), in the New Contacts folder. The
// cards of one company go into the one company folder that the first of
// them makes. A card whose contact (or, for an organisation's own card,
// whose company) stands in the index already, by name and company, is
// skipped; so is one that an earlier card of the import made. The index
// tasks are queued and carried out once, after the last card (when the
// setting runTasksAtOnce allows).
ImportReport importContacts(const QList<SourcedCard>& cards, const ImportOptions& options);

// The card of a folder's profile (a company's own card for a company
// folder).
ContactCard profileCard(const DataFiles::ProfileRecord& profile);

} // namespace Finding
