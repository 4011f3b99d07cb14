// SPDX-License-Identifier: GPL-3.0-or-later
#include "NewFolders.h"

#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "index/FolderValues.h"
#include "index/TaskFile.h"
#include "platform/FileSystem.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Values.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace FileOperations {

using namespace DataFiles;

namespace {

// String numbers.
enum : int
{
    FileNameCharacters = 506,
    Titles = 715,
    ProfileNotSaved = 717,
    NewContactsNotAccessible = 926,
    FolderIncomplete = 964,
};

const QChar Separator(QLatin1Char('/'));

// Steps of one folder, for the progress: reference, folder, information,
// profile, task.
constexpr int StepsPerFolder = 5;

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(Separator))
        path.chop(1);
    return path;
}

// The reference of a filing-tree folder's name, or "" for a name without one.
QString referenceOf(const QString& folder)
{
    const QString last = folder.mid(folder.lastIndexOf(Separator) + 1);
    if (!last.endsWith(QLatin1Char(']')) || !last.contains(QLatin1Char('[')))
        return {};
    QString name;
    QString ref;
    Global::ResolveFolderName(folder, name, ref);
    return ref;
}

bool allDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// The highest number that the sub-folders of `parent` carry below `prefix`
// ("7" and its "7-4" give 4), or 0.
qint64 highestSubReference(const QString& parent, const QString& prefix)
{
    qint64 highest = 0;
    const QString start = prefix.isEmpty() ? QString() : prefix + QLatin1Char('-');
    for (const QString& name : QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString ref = referenceOf(name);
        if (!ref.startsWith(start, Qt::CaseInsensitive))
            continue;
        const QStringView number = QStringView(ref).mid(start.size());
        if (allDigits(number) && number.size() <= 10)
            highest = std::max(highest, number.toLongLong());
    }
    return highest;
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

void reportFailure(const QString& description)
{
    Global::ReportError(QStringLiteral("FileOperations:CreateQuickAndDirtyCompany  Error:") +
                        description);
}

// One new folder: made, described and queued, step by step.
class FolderMaker
{
public:
    FolderMaker(const Indexing::BuildProgress& progress, int folders)
        : m_progress(progress), m_steps(folders * StepsPerFolder)
    {}

    // Makes the folder `name` of `kind` below `parent`; its reference and
    // path, or an empty reference when it was not made. What it lacks once
    // made goes into `incomplete`.
    bool make(const QString& parent, const QString& name, qint16 kind, const ProfileRecord& profile,
              QString& ref, QString& folder, QStringList& incomplete)
    {
        ref = GetNewFolderSuggestion(parent);
        step();
        if (ref.isEmpty()) {
            reportFailure(QStringLiteral("DEBUG: No folder suggestion - can't continue."));
            return false;
        }
        folder = parent + Separator + FolderName(SafeName(name), ref);
        if (!Global::FitFolderPath(folder)) {
            ref.clear();
            folder.clear();
            return false;
        }
        if (!Global::MakePath(folder, false, false)) {
            reportFailure(QStringLiteral("DEBUG: Couldn't create new path - can't continue."));
            ref.clear();
            folder.clear();
            return false;
        }
        step();

        QStringList missing;
        FileInfoRecord info;
        info.FolderID = kind;
        info.RealRef = ref;
        const QString infoPath = folder + Separator + Indexing::FileInfoName;
        const QString parentInfo = Platform::findNoCase(parent, Indexing::FileInfoName);
        const bool described = Global::guarded("FileOperations:CreateQuickAndDirtyCompany", [&] {
            Routines_FileInfoFile::writeFileInfoRecord(infoPath, info);
            return true;
        });
        // The parent learns of its new child, for the finder's browsing too.
        const bool listed =
            Routines_FileInfoFile::WriteFileInfo(parentInfo, QStringLiteral("HasChildFolders"),
                                                 QStringLiteral("True")) &&
            Routines_FileInfoFile::WriteFileInfo(parentInfo, QStringLiteral("AddFolderSummary"),
                                                 folderSummaryEntry(ref, kind));
        if (!described)
            missing << infoPath;
        if (!listed)
            missing << parentInfo;
        step();

        const QString profilePath = folder + Separator + Indexing::ProfileName;
        try {
            Routines_ProfileFile::writeProfile(profilePath, profile);
        } catch (const Platform::RunTimeError&) {
            Global::showMessage(ProfileNotSaved, {profilePath}, Platform::MsgButtons::Ok,
                                Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
            missing << profilePath;
        }
        step();

        Indexing::IndexTask task;
        task.Action = 1;
        task.Ref = ref;
        task.Kind = kind;
        task.Folder = folder;
        if (!Indexing::AddIndexTask(task))
            missing << (Indexing::taskFilePath().isEmpty() ? QStringLiteral("taskfile.bin")
                                                           : Indexing::taskFilePath());
        step();

        if (!missing.isEmpty()) {
            Global::showMessage(FolderIncomplete, {folder, missing.join(QStringLiteral("\r\n"))},
                                Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                                Global::Str::TitleWarning);
            incomplete << folder;
        }
        return true;
    }

private:
    void step()
    {
        ++m_done;
        m_progress.value(m_done * 100 / std::max(1, m_steps));
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
        const QString parent = withoutTrailingSeparator(Parent);
        QString prefix = referenceOf(parent);
        if (Global::val(prefix) == 0)
            prefix.clear();
        const QString infoPath = Platform::findNoCase(parent, Indexing::FileInfoName);
        const bool hasInfo = QFileInfo(infoPath).isFile();
        FileInfoRecord info;
        if (hasInfo && !Routines_FileInfoFile::readForRewrite(infoPath, info))
            return {};
        qint64 n = hasInfo ? info.LastRef : highestSubReference(parent, prefix);
        QString candidate;
        do {
            if (++n > std::numeric_limits<qint32>::max())
                throw Platform::RunTimeError(Platform::RunTimeError::Overflow);
            candidate = prefix.isEmpty() ? QString::number(n)
                                         : prefix + QLatin1Char('-') + QString::number(n);
        } while (!Global::FindFolderByRef(parent, candidate).isEmpty());
        if (hasInfo && !Routines_FileInfoFile::WriteFileInfo(infoPath, QStringLiteral("LastRef"),
                                                             QString::number(n)))
            return {};
        return candidate;
    });
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
        // "Dr (M)" is "Dr" in a greeting.
        const QString title = fields.title.section(QStringLiteral(" ("), 0, 0).trimmed();
        const QString surname = fields.contactName.trimmed().section(QLatin1Char(' '), -1);
        profile.Dear = title.isEmpty() || surname.isEmpty() ? fields.contactName
                                                            : title + QLatin1Char(' ') + surname;
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

CreatedFolders CreateQuickAndDirtyCompany(const NewContactFields& given,
                                          const Indexing::BuildProgress& progress)
{
    NewContactFields fields = given;
    fields.companyName = fields.companyName.trimmed();
    fields.contactName = fields.contactName.trimmed();
    CreatedFolders made;
    Global::guarded("FileOperations:CreateQuickAndDirtyCompany", [&] {
        Global::BusyPointerScope busy;
        progress.value(0);
        const QString newContacts =
            withoutTrailingSeparator(Global::GetDataFolder(QStringLiteral("NewContactsFolder")));
        if (newContacts.isEmpty() || !Global::FolderExists(newContacts)) {
            Global::showMessage(NewContactsNotAccessible, {newContacts}, Platform::MsgButtons::Ok,
                                Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
            return;
        }
        const bool company = !fields.companyName.isEmpty();
        const bool contact = !fields.contactName.isEmpty();
        FolderMaker maker(progress, int(company) + int(contact));
        QString parent = newContacts;
        if (company) {
            if (!maker.make(newContacts, fields.companyName, FolderC,
                            newProfile(fields, FolderC, !contact), made.companyRef,
                            made.companyFolder, made.incomplete))
                return;
            parent = made.companyFolder;
        }
        if (contact) {
            const qint16 kind = company ? FolderO : FolderF;
            maker.make(parent, fields.contactName, kind, newProfile(fields, kind, true),
                       made.contactRef, made.contactFolder, made.incomplete);
        }
    });
    if ((!made.companyRef.isEmpty() || !made.contactRef.isEmpty()) && Indexing::runTasksAtOnce()) {
        made.tasks = Indexing::RunIndexTasks();
        made.tasksRun = true;
    }
    return made;
}

} // namespace FileOperations
