// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderValues.h"

#include "Packing.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QStringList>

namespace Indexing {

using DataFiles::FileInfoRecord;
using DataFiles::ProfileRecord;

const QString FileInfoName = QStringLiteral("FileInfo.inf");
const QString ProfileName = QStringLiteral("Profile.pro");

namespace {

constexpr int IndexCount = 4;
const QChar ItemEnd(0);
const QChar SecondLine(1);
const QChar Separator(QLatin1Char('/'));

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(Separator))
        path.chop(1);
    return path;
}

// The name and reference of a folder of the filing tree ("Smith [12-3]"); a
// folder whose name carries no reference gives an empty one.
void nameAndRef(const QString& folder, QString& name, QString& ref)
{
    Global::ResolveFolderName(folder, name, ref);
    ref = Global::folderReference(folder);
}

// Where a folder stands, for people: its path below the filing root with
// the references in brackets dropped ("Acme Ltd/Smith, John"); a folder
// outside the tree shows its whole path so.
QString locationOf(const QString& folder, const QString& root)
{
    QStringView relative(folder);
    if (!root.isEmpty() && folder.size() > root.size() && folder[root.size()] == Separator &&
        folder.startsWith(root))
        relative = relative.mid(root.size() + 1);
    QStringList names;
    for (const QStringView part : relative.split(Separator, Qt::SkipEmptyParts)) {
        QStringView name = part;
        const qsizetype open = part.lastIndexOf(QLatin1Char('['));
        if (open >= 0 && part.endsWith(QLatin1Char(']')))
            name = part.left(open).trimmed();
        if (!name.isEmpty())
            names << name.toString();
    }
    return names.join(Separator);
}

const QString& firstNonEmpty(const QString& a, const QString& b, const QString& c)
{
    return !a.isEmpty() ? a : !b.isEmpty() ? b : c;
}

// Values and displays of one index, pairwise, as AddToIndex takes them; a
// display is its first line, the character 1 and its second line.
struct Items
{
    QString values, displays;
    void add(const QString& value, const QString& first, const QString& second)
    {
        if (!values.isEmpty()) {
            values += ItemEnd;
            displays += ItemEnd;
        }
        values += value;
        displays += first;
        displays += SecondLine;
        displays += second;
    }
};

// A folder's data files are named whatever their case: the readers find
// them so.
FileInfoRecord readFileInfo(const QString& folder)
{
    return Routines_FileInfoFile::ReadFileInfo(folder + Separator + FileInfoName, true);
}

ProfileRecord readProfile(const QString& folder)
{
    return Routines_ProfileFile::ReadProfile(folder + Separator + ProfileName, true);
}

} // namespace

FolderIndexValues gatherIndexValues(const QString& folder, const FileInfoRecord& info,
                                    const ProfileRecord& profile, const QString& ownerName,
                                    const QString& root)
{
    FolderIndexValues gathered;
    QString name;
    QString ref;
    nameAndRef(folder, name, ref);
    gathered.ref = ref.isEmpty() ? info.RealRef : ref;
    gathered.kind = info.FolderID != DataFiles::UnknownFolder ? info.FolderID : profile.kind;

    QString town;
    QString postcode;
    for (const DataFiles::ProfileAddress& address : profile.addresses) {
        if (!address.inUse)
            continue;
        if (town.isEmpty())
            town = address.town;
        if (postcode.isEmpty())
            postcode = address.postcode;
    }
    const QString& displayName = profile.displayName;

    Items items[IndexCount];
    Items& names = items[NameIndex - 1];
    switch (gathered.kind) {
    case DataFiles::FolderN:
        names.add(name, name, locationOf(folder, root));
        break;
    case DataFiles::FolderO: {
        const QString location =
            ownerName.isEmpty() && postcode.isEmpty() ? locationOf(folder, root) : QString();
        names.add(displayName, name, firstNonEmpty(ownerName, postcode, location));
        break;
    }
    case DataFiles::FolderC:
    case DataFiles::FolderF: {
        const QString location =
            town.isEmpty() && postcode.isEmpty() ? locationOf(folder, root) : QString();
        names.add(displayName, name, firstNonEmpty(town, postcode, location));
        break;
    }
    default:
        break;
    }
    if (names.values.isEmpty())
        names = Items();

    if (profile.indexFlag()) {
        for (const DataFiles::ProfileAddress& address : profile.addresses) {
            if (address.inUse && !address.postcode.isEmpty())
                items[PcodeIndex - 1].add(address.postcode, address.postcode, displayName);
        }
        for (const DataFiles::ProfileContactPoint& point : profile.contacts) {
            if (point.inUse() && !point.number.isEmpty())
                items[TelNumIndex - 1].add(point.number, point.number, displayName);
        }
        if (!profile.UD1.isEmpty())
            items[UD1Index - 1].add(profile.UD1, profile.UD1, displayName);
    }

    for (int i = 0; i < IndexCount; ++i) {
        gathered.values[i] = std::move(items[i].values);
        gathered.displays[i] = std::move(items[i].displays);
    }
    return gathered;
}

bool ownsFolders(const FileInfoRecord& info)
{
    return info.FolderID == DataFiles::FolderC || info.FolderID == DataFiles::FolderF;
}

QString filingRootPath()
{
    QString root = withoutTrailingSeparator(Global::GetDataFolder(QStringLiteral("FilingFolder")));
    while (root.contains(QLatin1Char('[')) && root.contains(QLatin1Char(']')))
        root = Global::FormatFilename(root, QStringLiteral("L"));
    return root;
}

FolderIndexValues gatherIndexValues(const QString& Folder)
{
    const QString folder = withoutTrailingSeparator(Folder);
    const FileInfoRecord info = readFileInfo(folder);
    const ProfileRecord profile = readProfile(folder);
    QString ownerName;
    const qint16 kind = info.FolderID != DataFiles::UnknownFolder ? info.FolderID : profile.kind;
    const qsizetype slash = folder.lastIndexOf(Separator);
    if (kind == DataFiles::FolderO && slash > 0) {
        const QString owner = Routines_FileInfoFile::findOwningFolder(folder.left(slash));
        if (!owner.isEmpty())
            ownerName = readProfile(owner).displayName;
    }
    return gatherIndexValues(folder, info, profile, ownerName, filingRootPath());
}

void PrepareForIndex(int IndexNo, const QString& Folder, QString& Values, QString& Displays,
                     QString& Ref, qint16& Kind)
{
    Values.clear();
    Displays.clear();
    Ref.clear();
    Kind = 0;
    Global::guarded("Indexing:PrepareForIndex", [&] {
        FolderIndexValues gathered = gatherIndexValues(Folder);
        Ref = gathered.ref;
        Kind = gathered.kind;
        if (IndexNo >= NameIndex && IndexNo <= UD1Index) {
            Values = std::move(gathered.values[IndexNo - 1]);
            Displays = std::move(gathered.displays[IndexNo - 1]);
        }
    });
}

} // namespace Indexing
