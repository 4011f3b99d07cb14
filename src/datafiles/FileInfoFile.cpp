// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileInfoFile.h"

#include "DataFile.h"
#include "platform/FileSystem.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Values.h"

#include <QFileInfo>

#include <cmath>

namespace DataFiles {

const FileKind FileInfoFileKind{"Zux File Info", 0.009f, 700};

QString folderSummaryEntry(const QString& reference, int folderKind)
{
    return SummaryOpen + reference + SummarySeparator + QString::number(folderKind) + SummaryClose;
}

} // namespace DataFiles

namespace Routines_FileInfoFile {

using namespace DataFiles;
using Platform::File;
using Platform::RunTimeError;

namespace {

// A number of a text as the classic integer conversions give it: halves to
// the even neighbour, "Overflow" beyond the type's range.
template <class Int>
Int integerOf(const QString& text)
{
    const double value = std::nearbyint(Global::val(text));
    if (!(value >= double(std::numeric_limits<Int>::min()) &&
          value <= double(std::numeric_limits<Int>::max())))
        throw RunTimeError(RunTimeError::Overflow);
    return Int(value);
}

bool booleanOf(const QString& text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return Global::val(word) != 0;
}

// The key of a summary entry, or the whole text when it is not an entry.
QString summaryKey(const QString& value)
{
    if (value.startsWith(SummaryOpen)) {
        const qsizetype separator = value.indexOf(SummarySeparator);
        const qsizetype close = value.indexOf(SummaryClose);
        if (separator > 0 && (close < 0 || separator < close))
            return value.mid(1, separator - 1);
        if (close > 0)
            return value.mid(1, close - 1);
    }
    return value;
}

// Where the entry of `key` stands in a summary: its start and length, or -1.
std::pair<qsizetype, qsizetype> findEntry(const QString& summary, const QString& key)
{
    qsizetype at = 0;
    while ((at = summary.indexOf(SummaryOpen, at)) >= 0) {
        const qsizetype close = summary.indexOf(SummaryClose, at + 1);
        if (close < 0)
            break;
        const QString entry = summary.mid(at, close - at + 1);
        if (summaryKey(entry).compare(key, Qt::CaseInsensitive) == 0)
            return {at, close - at + 1};
        at = close + 1;
    }
    return {-1, 0};
}

void addSummary(QString& summary, const QString& value)
{
    const QString key = summaryKey(value);
    const QString entry = value.startsWith(SummaryOpen) && value.endsWith(SummaryClose) &&
                                  value.contains(SummarySeparator)
                              ? value
                              : SummaryOpen + key + SummarySeparator + SummaryClose;
    const auto [at, length] = findEntry(summary, key);
    if (at >= 0)
        summary.replace(at, length, entry);
    else
        summary += entry;
}

void deleteSummary(QString& summary, const QString& value)
{
    const auto [at, length] = findEntry(summary, summaryKey(value));
    if (at >= 0)
        summary.remove(at, length);
}

std::pair<QString, QString> itemNameOf(const QString& value)
{
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {value, QString()};
    return {value.left(colon), value.mid(colon + 1)};
}

bool sameName(const FileInfoItem& item, const QString& name)
{
    return item.name.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

bool changeFileInfo(FileInfoRecord& r, const QString& field, const QString& value)
{
    const auto is = [&](const char* name) { return field == QLatin1String(name); };
    if (is("FolderID")) {
        r.FolderID = integerOf<qint16>(value);
    } else if (is("HasChildFolders")) {
        r.HasChildFolders = booleanOf(value) ? -1 : 0;
    } else if (is("RealRef")) {
        r.RealRef = value;
    } else if (is("FolderSummary")) {
        r.FolderSummary = value;
    } else if (is("FileSummary")) {
        r.FileSummary = value;
    } else if (is("AddFolderSummary")) {
        addSummary(r.FolderSummary, value);
    } else if (is("AddFileSummary")) {
        addSummary(r.FileSummary, value);
    } else if (is("AddThumbSummary")) {
        addSummary(r.ThumbSummary, value);
    } else if (is("DelFolderSummary")) {
        deleteSummary(r.FolderSummary, value);
    } else if (is("DelFileSummary")) {
        deleteSummary(r.FileSummary, value);
    } else if (is("DelThumbSummary")) {
        deleteSummary(r.ThumbSummary, value);
    } else if (is("LastRef")) {
        r.LastRef = integerOf<qint32>(value);
    } else if (is("NextJob")) {
        r.NextJob = integerOf<qint32>(value);
    } else if (is("Jobs")) {
        const qsizetype split = value.indexOf(QChar(1));
        FileInfoItem job;
        job.name = split < 0 ? value : value.left(split);
        job.detail = split < 0 ? QString() : value.mid(split + 1);
        job.state = -1;
        r.JobList.items = {job};
        r.JobList.allocated = true;
        r.f13 = -1;
    } else if (is("Include")) {
        const auto parts = itemNameOf(value);
        const QString& name = parts.first;
        const QString& detail = parts.second;
        auto& items = r.IncludeList.items;
        const auto found =
            std::find_if(items.begin(), items.end(), [&](auto& i) { return sameName(i, name); });
        if (found == items.end()) {
            items.push_back({name, detail, -1});
        } else {
            found->state = -1;
            if (!detail.isEmpty())
                found->detail = detail;
        }
    } else if (is("Purge")) {
        const QString name = itemNameOf(value).first;
        std::erase_if(r.IncludeList.items, [&](auto& i) { return sameName(i, name); });
    } else if (is("ToggleIncState")) {
        const QString name = itemNameOf(value).first;
        for (FileInfoItem& item : r.IncludeList.items) {
            if (sameName(item, name)) {
                item.state = item.state ? 0 : -1;
                break;
            }
        }
    } else {
        return false;
    }
    return true;
}

namespace {

void askToDelete(const QString& fileName, const QString& path)
{
    const auto answer =
        Global::showMessage(700, {fileName}, Platform::MsgButtons::YesNo,
                            Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
    if (answer == Platform::MsgAnswer::Yes)
        Global::DeleteFile(path);
}

} // namespace

FileInfoRecord ReadFileInfo(const QString& FileName, bool Quiet)
{
    return Global::guarded("Routines_FileInfoFile:ReadFileInfo", [&] {
        FileInfoRecord record;
        const auto offerDeletion = [&](const QString& path) { askToDelete(FileName, path); };
        if (const auto file = loadDataFile(FileName, FileInfoFileKind, Quiet, offerDeletion))
            readRecord(file->bytes, file->position, record);
        return record;
    });
}

bool WriteFileInfo(const QString& FileName, const QString& FieldName, const QString& Value)
{
    return Global::guarded("Routines_FileInfoFile:WriteFileInfo", [&] {
        FileInfoRecord record;
        if (!readForRewrite(FileName, record) || !changeFileInfo(record, FieldName, Value))
            return false;
        writeFileInfoRecord(FileName, record);
        return true;
    });
}

bool readForRewrite(const QString& FileName, FileInfoRecord& record)
{
    const QString path = Platform::resolveNoCase(FileName);
    if (FileName.isEmpty() || !QFileInfo::exists(path))
        return true;
    File file = Global::OpenFile(path, File::Binary | File::Read);
    if (!file.isOpen())
        return false;
    const QByteArray bytes = file.readAt(1, file.size());
    file.close();
    const HeaderCheck header = checkHeader(bytes, FileInfoFileKind);
    if (header.verdict == HeaderVerdict::WrongVersion) {
        showWrongVersion(FileName, header.version, FileInfoFileKind);
        return false;
    }
    bool whole = false;
    if (header.verdict == HeaderVerdict::Good) {
        try {
            whole = readRecord(bytes, header.position, record).complete;
        } catch (const RecordDamage&) {
        }
    }
    if (!whole) {
        askToDelete(FileName, path);
        return false;
    }
    return true;
}

void writeFileInfoRecord(const QString& path, const FileInfoRecord& record)
{
    writeDataFile(path, FileInfoFileKind, record);
}

void writeFileInfoRecord(File& held, const FileInfoRecord& record)
{
    writeFileAtomically(held, dataFileBytes(FileInfoFileKind, record));
}

QString findOwningFolder(const QString& path)
{
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (!QFileInfo(folder).isDir())
        folder = folder.left(std::max<qsizetype>(folder.lastIndexOf(QLatin1Char('/')), 0));
    while (!folder.isEmpty()) {
        const FileInfoRecord info =
            ReadFileInfo(Platform::findNoCase(folder, QStringLiteral("FileInfo.inf")), true);
        if (info.FolderID == FolderC || info.FolderID == FolderF)
            return folder;
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            break;
        folder.truncate(slash);
    }
    return {};
}

} // namespace Routines_FileInfoFile
