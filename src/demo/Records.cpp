// SPDX-License-Identifier: GPL-3.0-or-later
#include "Records.h"

#include "datafiles/DataFile.h"
#include "datafiles/EventFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "datafiles/ShareFile.h"

namespace Demo {
namespace {

using namespace DataFiles;

// Header and record. The demo writes each file once into a new folder, so it
// takes the bytes rather than the writers' flushed, renamed writes, which
// would cost a device flush for every one of many thousand files.
template <PackedRecord R>
QByteArray fileBytes(const FileKind& kind, const R& record)
{
    RecordWriter writer;
    writer.writeRaw(headerBytes(kind));
    writer.write(record);
    return writer.take();
}

qint16 flag(bool on)
{
    return on ? -1 : 0;
}

ProfileContactPoint::ContactKind contactKind(Number::Kind kind)
{
    switch (kind) {
    case Number::Telephone:
        return ProfileContactPoint::TelNum;
    case Number::Fax:
        return ProfileContactPoint::FaxNum;
    case Number::EMail:
        return ProfileContactPoint::EMailNum;
    }
    return ProfileContactPoint::NoKind;
}

// Label lists of the share file, items separated by the character 0: the
// company fields (item 4) and the contact fields (item 6), in the order of
// the program's own lists, named for what the demo keeps in them.
const QString CompanyLabels =
    QStringLiteral("Organisation|Telephone|Fax|E-mail|Comments|Account code|Sector|"
                   "Customer since|User-defined 4|User-defined 5")
        .replace(QLatin1Char('|'), QChar(0));
const QString ContactLabels =
    QStringLiteral("Contact name|Title|Job title|Salutation|Telephone|Fax|E-mail|Notes|"
                   "Customer no.|Mailing list|User-defined 3|User-defined 4|User-defined 5")
        .replace(QLatin1Char('|'), QChar(0));

} // namespace

QString folderSummaryEntry(const QString& ref, int kind)
{
    return DataFiles::folderSummaryEntry(ref, kind);
}

QByteArray fileInfoBytes(const FolderInfo& info)
{
    FileInfoRecord record;
    record.FolderID = qint16(info.kind);
    record.HasChildFolders = flag(info.hasChildFolders);
    record.RealRef = info.ref;
    record.FolderSummary = info.folderSummary;
    record.LastRef = info.lastRef;
    return fileBytes(FileInfoFileKind, record);
}

QByteArray profileBytes(const Party& party)
{
    ProfileRecord record;
    record.kind = qint16(party.kind);
    record.CoName = party.companyName;
    record.FullName = party.fullName;
    record.Title = party.title;
    record.Position = party.position;
    record.Dear = party.dear;
    record.Notes = party.notes;
    record.CoComments = party.comments;
    record.displayName = party.displayName;

    ProfileAddress& address = record.addresses[0];
    const PostalAddress& a = party.address;
    address.inUse = flag(true);
    address.building = a.building;
    address.road = a.road;
    address.district = a.district;
    address.town = a.town;
    address.county = a.county;
    address.postcode = a.postcode;
    address.country = a.country;
    address.label = a.label;

    std::size_t slot = 0;
    for (const Number& number : party.numbers) {
        if (slot == record.contacts.size())
            break;
        ProfileContactPoint& point = record.contacts[slot++];
        point.setInUse(true);
        point.label = number.label;
        point.extension = number.extension;
        point.number = number.number;
        point.kind = contactKind(number.kind);
    }

    QString* const userDefined[] = {&record.UD1, &record.UD2, &record.UD3, &record.UD4,
                                    &record.UD5};
    QString* const companyDefined[] = {&record.CoUD1, &record.CoUD2, &record.CoUD3, &record.CoUD4,
                                       &record.CoUD5};
    for (std::size_t i = 0; i < 5; ++i) {
        *userDefined[i] = party.userDefined[i];
        *companyDefined[i] = party.companyUserDefined[i];
    }
    record.setIndexFlag(true);
    return fileBytes(ProfileFileKind, record);
}

QByteArray eventBytes(const DemoMail& mail)
{
    EventRecord record;
    record.Subject = mail.subject;
    record.Body = mail.body;
    record.EntryFlagA = flag(mail.entryFlags);
    record.EntryFlagB = flag(mail.entryFlags);
    return fileBytes(EventFileKind, record);
}

void writeShare(const QString& path, const std::vector<DemoUser>& users)
{
    ShareFileContents contents;
    contents.a.texts[0] = CompanyLabels;
    contents.a.texts[2] = ContactLabels;
    qint32 number = 0;
    for (const DemoUser& user : users) {
        ShareUser element;
        element.name.text = user.name;
        element.initials.text = user.initials;
        element.login.text = user.login;
        element.email.text = user.login + QStringLiteral("@office.example");
        element.number = ++number;
        element.flags = user.administrator ? ShareUser::Administrator | ShareUser::IndexManager : 0;
        contents.list.users.items.push_back(element);
    }
    contents.list.users.allocated = true;
    contents.list.users.lbound = 1;
    try {
        Routines_ShareFile::writeShareFile(path, contents);
    } catch (const Platform::RunTimeError& error) {
        throw DemoError(QStringLiteral("The share file \"%1\" cannot be written: %2")
                            .arg(path, error.description()));
    }
}

} // namespace Demo
