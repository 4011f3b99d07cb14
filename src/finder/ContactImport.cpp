// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactImport.h"

#include "datafiles/ProfileFile.h"
#include "index/FolderValues.h"
#include "index/Packing.h"
#include "index/Search.h"
#include "index/SearchKeys.h"
#include "shared/Paths.h"

#include <QHash>
#include <QSet>

namespace Finding {

using DataFiles::ProfileContactPoint;
using DataFiles::ProfileRecord;

namespace {

QString folded(const QString& text)
{
    QString out = text.trimmed();
    for (QChar& c : out)
        c = c.toUpper();
    return out;
}

// The profiles of the folders of `kind` whose value in the Name index is
// `name` (the key words' match text the same). The search looks for the
// longest key word of the name; a shorter one may be stored under no cell of
// its own. Why the index could not be searched goes into `notes`, once.
QList<ProfileRecord> indexedProfiles(const QString& name, qint16 kind, QStringList& notes)
{
    const Indexing::KeyWords keys = Indexing::keyWords(name, Indexing::NameIndex, kind);
    QString clue;
    for (const QString& word : keys.words) {
        if (word.size() > clue.size())
            clue = word;
    }
    if (clue.isEmpty())
        return {};
    Indexing::ResultsList results;
    Indexing::SearchRequest request;
    request.Fields = {Indexing::NameIndex};
    request.Clue = clue;
    request.ResultsList = &results;
    request.HitLimit = -1;
    request.TypeFlags = {false, kind != DataFiles::FolderC, kind == DataFiles::FolderC,
                         kind != DataFiles::FolderC};
    Indexing::Find(request);
    for (const Indexing::SearchRequest::Skipped& skipped : std::as_const(request.skipped)) {
        if (!notes.contains(skipped.message))
            notes << skipped.message;
    }
    QList<ProfileRecord> profiles;
    QSet<QString> refs;
    for (int i = 0; i < results.count(); ++i) {
        // The data text: three digits of rank, the match text, the
        // character 1 and the reference.
        const QString& data = results.row(i).data;
        const qsizetype mark = data.indexOf(QChar(1));
        if (mark < 3 || QStringView(data).mid(3, mark - 3) != keys.match)
            continue;
        const QString ref = data.mid(mark + 1);
        if (ref.isEmpty() || refs.contains(ref))
            continue;
        refs.insert(ref);
        // A folder gone since it was indexed resolves to a folder above it.
        const QString folder = Global::ResolveFolderRef(ref);
        if (!folder.isEmpty() && Global::folderReference(folder) == ref)
            profiles << Routines_ProfileFile::ReadProfile(
                folder + QLatin1Char('/') + Indexing::ProfileName, true);
    }
    return profiles;
}

// Whether the contact of the (saved) fields stands in the index: a person
// by name and company, an organisation's own card by its name.
bool standsInIndex(const FileOperations::NewContactFields& fields, QStringList& notes)
{
    const QString company = folded(fields.companyName);
    if (fields.contactName.isEmpty()) {
        const QList<ProfileRecord> found =
            indexedProfiles(fields.companyName, DataFiles::FolderC, notes);
        return std::any_of(found.begin(), found.end(), [&](const ProfileRecord& p) {
            return folded(p.displayName) == company || folded(p.CoName) == company;
        });
    }
    const QString name = folded(fields.contactName);
    const QList<ProfileRecord> found =
        indexedProfiles(fields.contactName, DataFiles::FolderO, notes);
    return std::any_of(found.begin(), found.end(), [&](const ProfileRecord& p) {
        const QString person = folded(p.FullName.isEmpty() ? p.displayName : p.FullName);
        return person == name && folded(p.CoName) == company;
    });
}

CardNumber::Kind cardKind(const ProfileContactPoint& point)
{
    switch (point.kind) {
    case ProfileContactPoint::EMailNum:
        return CardNumber::EMail;
    case ProfileContactPoint::FaxNum:
        return CardNumber::Fax;
    case ProfileContactPoint::TelNum:
        return point.label.compare(QLatin1String("Mobile"), Qt::CaseInsensitive) == 0
                   ? CardNumber::Mobile
                   : CardNumber::Telephone;
    default:
        return point.number.contains(QLatin1Char('@')) ? CardNumber::EMail : CardNumber::Telephone;
    }
}

} // namespace

FileOperations::NewContactFields cardFields(const ContactCard& card, const QString& defaultCountry)
{
    FileOperations::NewContactFields fields;
    fields.contactName = card.contactName();
    fields.companyName = card.organisation;
    if (!fields.contactName.isEmpty()) {
        fields.title = card.prefix;
        fields.position = card.jobTitle;
        for (const FileOperations::TitleItem& title : FileOperations::titleItems()) {
            if (title.text.compare(card.prefix, Qt::CaseInsensitive) == 0)
                fields.titleMale = title.male;
        }
    }
    fields.country = defaultCountry;
    if (!card.addresses.isEmpty()) {
        const CardAddress& a = card.addresses.first();
        fields.address = {a.building, a.road, a.district, a.town, a.county, a.postcode};
        if (!a.country.isEmpty())
            fields.country = a.country;
    }
    for (const CardNumber& number : card.numbers)
        fields.numbers.append({number.text, int(number.kind)});
    return fields;
}

ImportReport importContacts(const QList<SourcedCard>& cards, const ImportOptions& options)
{
    ImportReport report;
    if (FileOperations::usableNewContactsFolder().isEmpty()) {
        report.stopped = true;
        return report;
    }
    // The company folders of this import, and the contacts it made, by
    // folded name.
    QHash<QString, QString> companies;
    QSet<QString> made;
    const int total = int(cards.size());
    for (int i = 0; i < total; ++i) {
        const SourcedCard& sourced = cards[i];
        const FileOperations::NewContactFields fields =
            FileOperations::savedFields(cardFields(sourced.card, options.defaultCountry));
        ImportOutcome outcome;
        outcome.source = sourced.source;
        outcome.name = fields.contactName.isEmpty() ? fields.companyName : fields.contactName;
        outcome.company = fields.companyName;

        const QString companyKey = folded(fields.companyName);
        const QString key = folded(fields.contactName) + QChar(0) + companyKey;
        const bool doubled =
            made.contains(key) || (fields.contactName.isEmpty() && companies.contains(companyKey));
        if (!options.allowDuplicates && (doubled || standsInIndex(fields, report.notes))) {
            outcome.kind = ImportOutcome::Duplicate;
        } else {
            FileOperations::CreateOptions create;
            create.tasksAtOnce = false;
            if (!fields.contactName.isEmpty())
                create.companyFolder = companies.value(companyKey);
            const FileOperations::CreatedFolders folders =
                FileOperations::CreateQuickAndDirtyCompany(fields, {}, create);
            if (!folders.companyRef.isEmpty()) {
                outcome.folders.append({folders.companyRef, folders.companyFolder});
                companies.insert(companyKey, folders.companyFolder);
            }
            if (!folders.contactRef.isEmpty())
                outcome.folders.append({folders.contactRef, folders.contactFolder});
            report.incomplete << folders.incomplete;
            const bool wanted = (fields.contactName.isEmpty() || !folders.contactRef.isEmpty()) &&
                                (!create.companyFolder.isEmpty() || fields.companyName.isEmpty() ||
                                 !folders.companyRef.isEmpty());
            outcome.kind = wanted ? ImportOutcome::Made : ImportOutcome::NotMade;
            if (wanted)
                made.insert(key);
        }
        switch (outcome.kind) {
        case ImportOutcome::Made:
            ++report.made;
            break;
        case ImportOutcome::Duplicate:
            ++report.duplicates;
            break;
        case ImportOutcome::NotMade:
            ++report.notMade;
            break;
        }
        report.outcomes << outcome;
        if (options.progress)
            options.progress(i + 1, total);
    }
    const bool anyMade = std::any_of(report.outcomes.begin(), report.outcomes.end(),
                                     [](const ImportOutcome& o) { return !o.folders.isEmpty(); });
    if (anyMade && Indexing::runTasksAtOnce()) {
        report.tasks = Indexing::RunIndexTasks();
        report.tasksRun = true;
    }
    return report;
}

ContactCard profileCard(const ProfileRecord& profile)
{
    ContactCard card;
    card.organisation = profile.CoName;
    if (profile.kind == DataFiles::FolderC) {
        card.isOrganisation = true;
        if (card.organisation.isEmpty())
            card.organisation = profile.displayName;
    } else {
        const QString name = profile.FullName.isEmpty() ? profile.displayName : profile.FullName;
        card.formattedName = name;
        card.prefix = profile.Title;
        card.jobTitle = profile.Position;
        const qsizetype space = name.trimmed().lastIndexOf(QLatin1Char(' '));
        card.family = name.trimmed().mid(space + 1);
        card.given = space < 0 ? QString() : name.trimmed().left(space);
    }
    for (const DataFiles::ProfileAddress& a : profile.addresses) {
        if (a.inUse)
            card.addresses << CardAddress{a.building, a.road,     a.district, a.town,
                                          a.county,   a.postcode, a.country};
    }
    for (const ProfileContactPoint& point : profile.contacts) {
        if (point.inUse() && !point.number.isEmpty())
            card.numbers << CardNumber{point.number, cardKind(point)};
    }
    return card;
}

} // namespace Finding
