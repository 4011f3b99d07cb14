// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParentClaim.h"

#include "datafiles/DataFile.h"
#include "index/FolderValues.h"
#include "index/TaskFile.h"
#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Tweaks.h"
#include "shared/Values.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <limits>

namespace FileOperations {

using DataFiles::FileInfoRecord;
using Platform::File;
using Platform::RunTimeError;

namespace {

enum : int
{
    FileInUse = 111,
    ErrorDetail = 112,
};

// The references of the sub-folders of `parent`, in upper case.
QSet<QString> subReferences(const QString& parent)
{
    QSet<QString> refs;
    for (const QString& name : Platform::listEntries(parent, u"*]", Platform::EntryKind::Folders)) {
        const QString ref = Global::folderReference(name);
        if (!ref.isEmpty())
            refs.insert(ref.toUpper());
    }
    return refs;
}

// The highest number that the references carry below `prefix` ("7" and its
// "7-4" give 4), or 0.
qint64 highestNumber(const QSet<QString>& refs, const QString& prefix)
{
    qint64 highest = 0;
    const QString start = prefix.isEmpty() ? QString() : prefix.toUpper() + QLatin1Char('-');
    for (const QString& ref : refs) {
        if (!ref.startsWith(start))
            continue;
        const QStringView number = QStringView(ref).mid(start.size());
        if (!number.isEmpty() && number.size() <= 10 &&
            std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); }))
            highest = std::max(highest, number.toLongLong());
    }
    return highest;
}

// The parent's reference as a prefix: none when it is empty or its value 0.
QString prefixOf(const QString& parent)
{
    const QString ref = Global::folderReference(parent);
    return Global::val(ref) == 0 ? QString() : ref;
}

} // namespace

std::optional<File> holdFile(const QString& path,
                             const std::function<std::optional<File>()>& attempt)
{
    Platform::UiHost& host = Platform::uiHost();
    for (;;) {
        const int budget =
            std::max(1, int(Global::GetTweak(Global::Tweak::AccessAttempts).number())) * 1000;
        for (int waited = 0; waited < budget;) {
            host.doEvents();
            try {
                if (std::optional<File> held = attempt())
                    return held;
            } catch (const RunTimeError& error) {
                if (error.number() != RunTimeError::PermissionDenied)
                    throw;
            }
            // Uneven pauses, so that makers waiting together do not meet again.
            const int pause = 5 + int(QRandomGenerator::global()->bounded(20));
            host.wait(pause);
            waited += pause;
        }
        const QString detail = Global::ResolveRes(
            ErrorDetail, {path, RunTimeError::describe(RunTimeError::PermissionDenied)});
        if (Global::showMessage(FileInUse, {detail, path}, Platform::MsgButtons::RetryCancel,
                                Platform::MsgIcon::Information,
                                Global::Str::TitleWarning) != Platform::MsgAnswer::Retry)
            return std::nullopt;
    }
}

std::optional<File> holdTaskFile()
{
    if (Indexing::taskFilePath().isEmpty())
        Indexing::sub_CheckTaskFile();
    const QString path = Platform::resolveNoCase(Indexing::taskFilePath());
    if (path.isEmpty())
        return std::nullopt;
    try {
        return holdFile(path, [&]() -> std::optional<File> {
            std::optional<File> claim = File::claim(path);
            // Replaced whole by a run between the open and the claim.
            if (claim && !claim->isAt(path))
                return std::nullopt;
            return claim;
        });
    } catch (const RunTimeError&) {
        // Queued all the same; appending says what is wrong with the file.
        return std::nullopt;
    }
}

std::optional<ParentClaim> ParentClaim::take(const QString& parent)
{
    ParentClaim claim;
    claim.m_parent = parent;
    claim.m_path = Platform::findNoCase(parent, Indexing::FileInfoName);
    claim.m_hadFile = QFileInfo::exists(claim.m_path);
    const QByteArray empty =
        DataFiles::dataFileBytes(DataFiles::FileInfoFileKind, FileInfoRecord());
    std::optional<File> held = holdFile(claim.m_path, [&]() -> std::optional<File> {
        if (!QFileInfo::exists(claim.m_path))
            File::createWhole(claim.m_path, empty.size(),
                              [&](File& file) { file.writeAt(1, empty); });
        File file = File::open(claim.m_path, File::Binary | File::Write | File::Locked);
        // Replaced whole by another writer between the open and the lock.
        if (!file.isAt(claim.m_path))
            return std::nullopt;
        return file;
    });
    if (!held)
        return std::nullopt;
    claim.m_held = std::move(*held);
    if (!Routines_FileInfoFile::readForRewrite(claim.m_path, claim.m_record))
        return std::nullopt;
    return claim;
}

void ParentClaim::removeUnfinishedFolders() const
{
    for (const QString& name :
         Platform::listEntries(m_parent, QString(Platform::UnfinishedFolderPrefix + u'*'),
                               Platform::EntryKind::Folders))
        QDir(m_parent + QLatin1Char('/') + name).removeRecursively();
}

QString ParentClaim::nextReference(qint32& number) const
{
    const QString prefix = prefixOf(m_parent);
    const QSet<QString> taken = subReferences(m_parent);
    qint64 n = m_record.LastRef;
    if (!m_hadFile)
        n = std::max(n, highestNumber(taken, prefix));
    QString candidate;
    do {
        if (++n > std::numeric_limits<qint32>::max())
            throw RunTimeError(RunTimeError::Overflow);
        candidate =
            prefix.isEmpty() ? QString::number(n) : prefix + QLatin1Char('-') + QString::number(n);
    } while (taken.contains(candidate.toUpper()));
    number = qint32(n);
    return candidate;
}

bool ParentClaim::record(qint32 number, const QString& summaryEntry)
{
    return Global::guarded("Routines_FileInfoFile:WriteFileInfo", [&] {
        FileInfoRecord changed = m_record;
        changed.LastRef = std::max(changed.LastRef, number);
        if (!summaryEntry.isEmpty()) {
            changed.HasChildFolders = -1;
            Routines_FileInfoFile::changeFileInfo(changed, QStringLiteral("AddFolderSummary"),
                                                  summaryEntry);
            // A summary that a text field cannot hold would be cut: the
            // entry is left out, and browsing reads the kind from the folder.
            if (changed.FolderSummary.size() > DataFiles::MaxTextBytes)
                changed.FolderSummary = m_record.FolderSummary;
        }
        Routines_FileInfoFile::writeFileInfoRecord(m_held, changed);
        m_record = changed;
        return true;
    });
}

} // namespace FileOperations
