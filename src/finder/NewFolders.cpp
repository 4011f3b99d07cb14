// SPDX-License-Identifier: GPL-3.0-or-later
#include "NewFolders.h"

#include "ParentClaim.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "index/FolderValues.h"
#include "index/TaskFile.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QDir>
#include <QRandomGenerator>

namespace FileOperations {

using namespace DataFiles;

namespace {

// String numbers.
enum : int
{
    FileNameCharacters = 506,
    NoReference = 707,
    FolderNotMade = 708,
    ContactLabels = 709,
    CompanyLabels = 710,
    AddressLabels = 711,
    Titles = 715,
    NoName = 716,
    NumberPrompt = 925,
    NewContactsNotAccessible = 926,
    NameSaved = 944,
    FieldTooLong = 947,
    FolderIncomplete = 964,
};

const QChar Separator(QLatin1Char('/'));

// Steps of one folder, for the progress: reference, folder, information,
// profile, task and name.
constexpr int StepsPerFolder = 5;

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(Separator))
        path.chop(1);
    return path;
}

QString blanked(QString text)
{
    for (QChar& c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return text;
}

QString numberLabel(int kind)
{
    switch (kind) {
    case FaxNumber:
        return QStringLiteral("Fax");
    case MobileNumber:
        return QStringLiteral("Mobile");
    case EMailNumber:
        return QStringLiteral("E-mail");
    default:
        return QStringLiteral("Telephone");
    }
}

ProfileContactPoint::ContactKind contactKind(int kind)
{
    switch (kind) {
    case FaxNumber:
        return ProfileContactPoint::FaxNum;
    case EMailNumber:
        return ProfileContactPoint::EMailNum;
    default:
        return ProfileContactPoint::TelNum;
    }
}

void warn(int number, const QVariantList& values)
{
    Global::showMessage(number, values, Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                        Global::Str::TitleWarning);
}

// Every text of the saved fields fits a text field of the profile; else the
// first that does not is named (message 947) and the result is false.
bool fieldsFit(const NewContactFields& fields)
{
    const auto item = [](int labels, int n) {
        return Global::ResolveRes(labels).split(QChar(0)).value(n);
    };
    QList<std::pair<QString, QString>> texts = {
        {item(ContactLabels, 0), fields.contactName}, {item(ContactLabels, 1), fields.title},
        {item(ContactLabels, 2), fields.position},    {item(CompanyLabels, 0), fields.companyName},
        {item(AddressLabels, 6), fields.country},
    };
    for (int line = 0; line < int(fields.address.size()); ++line)
        texts.append({item(AddressLabels, line), fields.address[std::size_t(line)]});
    for (qsizetype n = 0; n < fields.numbers.size(); ++n)
        texts.append({Global::ResolveRes(NumberPrompt, {n + 1}), fields.numbers[n].text});
    for (const auto& [label, text] : texts) {
        if (text.size() > MaxTextBytes) {
            warn(FieldTooLong, {label, MaxTextBytes, text.size()});
            return false;
        }
    }
    return true;
}

// A folder being made under an unfinished name in its parent: removed again
// unless it was renamed into place.
class UnfinishedFolder
{
public:
    explicit UnfinishedFolder(const QString& parent)
    {
        do {
            m_path = parent + Separator + Platform::UnfinishedFolderPrefix +
                     QString::number(QRandomGenerator::global()->generate64(), 16);
        } while (!Platform::makeFolder(m_path));
    }
    ~UnfinishedFolder()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }
    UnfinishedFolder(const UnfinishedFolder&) = delete;
    UnfinishedFolder& operator=(const UnfinishedFolder&) = delete;

    QString file(const QString& name) const { return m_path + Separator + name; }
    void renameTo(const QString& folder)
    {
        Platform::renameFolder(m_path, folder);
        m_path.clear();
    }

private:
    QString m_path;
};

// New folders made one after another, step by step.
class FolderMaker
{
public:
    FolderMaker(const Indexing::BuildProgress& progress, int folders)
        : m_progress(progress), m_steps(folders * StepsPerFolder)
    {}

    // Makes the folder `name` of `kind` below `parent`; its reference and
    // path, or an empty reference when it was not made (after the message
    // that says why). A folder made but not recorded everywhere goes into
    // `incomplete`.
    bool make(const QString& parent, const QString& name, qint16 kind, const ProfileRecord& profile,
              QString& ref, QString& folder, QStringList& incomplete)
    {
        ref.clear();
        folder.clear();
        std::optional<ParentClaim> claim;
        try {
            claim = ParentClaim::take(parent);
        } catch (const Platform::RunTimeError& error) {
            warn(FolderNotMade, {parent, error.description()});
            return false;
        }
        step();
        if (!claim) {
            warn(NoReference, {parent});
            return false;
        }
        claim->removeUnfinishedFolders();
        qint32 number = 0;
        QString reference;
        QString path;
        // The next free reference and the folder's name from it.
        const auto choose = [&] {
            reference = claim->nextReference(number);
            path = parent + Separator + FolderName(SafeName(name), reference);
            return Global::FitFolderPath(path);
        };
        if (!choose())
            return false;

        QStringList missing;
        try {
            UnfinishedFolder unfinished(parent);
            step();
            Routines_ProfileFile::writeProfile(unfinished.file(Indexing::ProfileName), profile);
            step();
            // Described, queued and put in place under its reference. Every
            // maker of this program holds the claim, so a folder that still
            // turns up under the name (made by one who does not) is stepped
            // over, as a reference in use is.
            while (!place(unfinished, kind, reference, path, missing)) {
                if (!choose())
                    return false;
            }
            step();
        } catch (const Platform::RunTimeError& error) {
            warn(FolderNotMade, {path, error.description()});
            return false;
        }
        step();

        // The parent learns of its new child, for the finder's browsing too.
        if (!claim->record(number, folderSummaryEntry(reference, kind)))
            missing << claim->path();
        if (!missing.isEmpty()) {
            warn(FolderIncomplete, {path, missing.join(QStringLiteral("\r\n"))});
            incomplete << path;
        }
        ref = reference;
        folder = path;
        return true;
    }

private:
    // The unfinished folder described as `reference`, its task queued and
    // renamed to `path`; false when something of that name is there.
    static bool place(UnfinishedFolder& unfinished, qint16 kind, const QString& reference,
                      const QString& path, QStringList& missing)
    {
        FileInfoRecord info;
        info.FolderID = kind;
        info.RealRef = reference;
        Routines_FileInfoFile::writeFileInfoRecord(unfinished.file(Indexing::FileInfoName), info);

        Indexing::IndexTask task;
        task.Action = 1;
        task.Ref = reference;
        task.Kind = kind;
        task.Folder = path;
        const std::optional<Platform::File> tasks = holdTaskFile();
        missing.clear();
        if (!Indexing::AddIndexTask(task))
            missing << (Indexing::taskFilePath().isEmpty() ? QStringLiteral("taskfile.bin")
                                                           : Indexing::taskFilePath());
        try {
            unfinished.renameTo(path);
            return true;
        } catch (const Platform::RunTimeError& error) {
            if (error.number() != Platform::RunTimeError::FileAlreadyExists)
                throw;
            return false;
        }
    }

    void step()
    {
        ++m_done;
        m_progress.value(std::min(100, m_done * 100 / std::max(1, m_steps)));
    }

    const Indexing::BuildProgress& m_progress;
    int m_steps;
    int m_done = 0;
};

} // namespace

QString SafeName(const QString& name)
{
    static const QString banned = Global::ResolveRes(FileNameCharacters);
    static const QString replacements = QStringLiteral("#-;;;--''");
    QString out = name;
    for (QChar& c : out) {
        const qsizetype at = banned.indexOf(c);
        if (at >= 0 && at < replacements.size())
            c = replacements[at];
    }
    return out;
}

QString FolderName(const QString& name, const QString& ref)
{
    const QString bracketed = QLatin1Char('[') + ref + QLatin1Char(']');
    return name.isEmpty() ? bracketed : name + QLatin1Char(' ') + bracketed;
}

QList<TitleItem> titleItems()
{
    QList<TitleItem> items;
    for (const QString& item : Global::ResolveRes(Titles).split(QLatin1Char(','))) {
        if (!item.isEmpty())
            items.append({item.chopped(1), item.endsWith(QLatin1Char('1'))});
    }
    return items;
}

QString GetNewFolderSuggestion(const QString& Parent)
{
    return Global::guarded("FileOperations:GetNewFolderSuggestion", [&]() -> QString {
        std::optional<ParentClaim> claim = ParentClaim::take(withoutTrailingSeparator(Parent));
        if (!claim)
            return {};
        qint32 number = 0;
        const QString candidate = claim->nextReference(number);
        return claim->record(number, QString()) ? candidate : QString();
    });
}

QString savedText(const QString& text)
{
    return Platform::Cp1252::transliterate(blanked(text));
}

NewContactFields savedFields(const NewContactFields& given)
{
    NewContactFields fields = given;
    fields.contactName = savedText(fields.contactName).trimmed();
    fields.companyName = savedText(fields.companyName).trimmed();
    fields.title = savedText(fields.title);
    fields.position = savedText(fields.position);
    for (QString& line : fields.address)
        line = savedText(line);
    fields.country = savedText(fields.country);
    for (NewNumber& number : fields.numbers)
        number.text = savedText(number.text);
    return fields;
}

QStringList nameNotices(const NewContactFields& fields)
{
    QStringList notices;
    for (const QString& name : {fields.contactName, fields.companyName}) {
        const QString typed = blanked(name).trimmed();
        const QString saved = Platform::Cp1252::transliterate(typed);
        if (saved != typed)
            notices << Global::ResolveRes(NameSaved, {typed, saved});
    }
    return notices;
}

ProfileRecord newProfile(const NewContactFields& fields, qint16 kind, bool withNumbers)
{
    ProfileRecord profile;
    profile.kind = kind;
    profile.CoName = fields.companyName;
    if (kind == FolderC) {
        profile.displayName = fields.companyName;
    } else {
        profile.FullName = fields.contactName;
        profile.displayName = fields.contactName;
        profile.Title = fields.title;
        profile.Position = fields.position;
        // "Dr (M)" is "Dr" in a greeting.
        const QString title = fields.title.section(QStringLiteral(" ("), 0, 0).trimmed();
        const QString surname = fields.contactName.trimmed().section(QLatin1Char(' '), -1);
        const QString greeting = title + QLatin1Char(' ') + surname;
        profile.Dear = title.isEmpty() || surname.isEmpty() || greeting.size() > MaxTextBytes
                           ? fields.contactName
                           : greeting;
    }

    ProfileAddress& address = profile.addresses[0];
    const auto& lines = fields.address;
    address.building = lines[0];
    address.road = lines[1];
    address.district = lines[2];
    address.town = lines[3];
    address.county = lines[4];
    address.postcode = lines[5];
    address.country = fields.country;
    const bool used =
        std::any_of(lines.begin(), lines.end(), [](const QString& l) { return !l.isEmpty(); });
    address.inUse = used ? -1 : 0;

    if (withNumbers) {
        std::size_t slot = 0;
        for (const NewNumber& number : fields.numbers) {
            if (number.text.isEmpty() || slot == profile.contacts.size())
                continue;
            ProfileContactPoint& point = profile.contacts[slot++];
            point.setInUse(true);
            point.label = numberLabel(number.kind);
            point.number = number.text;
            point.kind = contactKind(number.kind);
        }
    }
    profile.setIndexFlag(true);
    return profile;
}

QString usableNewContactsFolder()
{
    const QString newContacts =
        withoutTrailingSeparator(Global::GetDataFolder(QStringLiteral("NewContactsFolder")));
    if (newContacts.isEmpty() || !Global::FolderExists(newContacts)) {
        warn(NewContactsNotAccessible, {newContacts});
        return {};
    }
    return newContacts;
}

CreatedFolders CreateQuickAndDirtyCompany(const NewContactFields& given,
                                          const Indexing::BuildProgress& progress,
                                          const CreateOptions& options)
{
    const NewContactFields fields = savedFields(given);
    CreatedFolders made;
    Global::guarded("FileOperations:CreateQuickAndDirtyCompany", [&] {
        Global::BusyPointerScope busy;
        progress.value(0);
        const QString newContacts = usableNewContactsFolder();
        if (newContacts.isEmpty())
            return;
        const bool inCompany = !options.companyFolder.isEmpty();
        const bool company = !fields.companyName.isEmpty() && !inCompany;
        const bool contact = !fields.contactName.isEmpty();
        if ((!company && !contact) || (inCompany && !contact)) {
            warn(NoName, {});
            return;
        }
        if (!fieldsFit(fields))
            return;
        FolderMaker maker(progress, int(company) + int(contact));
        QString parent = inCompany ? options.companyFolder : newContacts;
        if (company) {
            if (!maker.make(newContacts, fields.companyName, FolderC,
                            newProfile(fields, FolderC, !contact), made.companyRef,
                            made.companyFolder, made.incomplete))
                return;
            parent = made.companyFolder;
        }
        if (contact) {
            const qint16 kind = company || inCompany ? FolderO : FolderF;
            maker.make(parent, fields.contactName, kind, newProfile(fields, kind, true),
                       made.contactRef, made.contactFolder, made.incomplete);
        }
    });
    if ((!made.companyRef.isEmpty() || !made.contactRef.isEmpty()) && options.tasksAtOnce &&
        Indexing::runTasksAtOnce()) {
        made.tasks = Indexing::RunIndexTasks();
        made.tasksRun = true;
    }
    return made;
}

} // namespace FileOperations
