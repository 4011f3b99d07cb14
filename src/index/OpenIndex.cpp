// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenIndex.h"

#include "IndexFile.h"
#include "Packing.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QFileInfo>
#include <QtEndian>

#include <vector>

namespace Indexing {
namespace {

constexpr int FileInUseTitle = 138;
constexpr int LockedMessage = 914;

QString& folderOverride()
{
    static QString folder;
    return folder;
}

QString showInvalid(const QString& fileName)
{
    DataFiles::showWrongMagic(fileName, IndexFileKind);
    return Global::ResolveRes(IndexFileKind.badMagicMessage, {fileName});
}

OpenOutcome openChecked(const QString& FileName, bool Quiet, int mode)
{
    using Platform::File;
    OpenOutcome outcome;
    Global::guarded("Indexing:OpenIndex", [&] {
        if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
            return;
        File file = File::open(FileName, mode);
        const std::optional<qint16> flag = readIndexFlag(file);
        if (!flag) {
            file.close();
            outcome.message = showInvalid(FileName);
            return;
        }
        if (*flag == MaintenanceFlag) {
            const File::Holders holders = file.otherHolders();
            if (!(mode & File::Write) && !holders.inPlace) {
                outcome.leftLocked = !holders.claimed;
                outcome.file = std::move(file);
                return;
            }
            file.close();
            outcome.locked = true;
            outcome.message = showUnderMaintenance(FileName, Quiet);
            return;
        }
        if (mode & File::Write)
            file.markWritingInPlace();
        outcome.file = std::move(file);
    });
    return outcome;
}

// The indexes that this process locked for maintenance, each held as a
// writer in place's until it is freed.
std::vector<Platform::File>& maintenanceHolds()
{
    static std::vector<Platform::File> holds;
    return holds;
}

} // namespace

QString indexFolder()
{
    const QString& folder = folderOverride();
    return folder.isEmpty() ? Global::checkedPaths().indexFolder : folder;
}

void setIndexFolder(const QString& folder)
{
    folderOverride() = folder;
}

OpenOutcome OpenIndex(const QString& FileName, bool Quiet)
{
    using Platform::File;
    return openChecked(FileName, Quiet, File::Binary | File::Read | File::Write);
}

OpenOutcome openIndexForReading(const QString& FileName, bool Quiet)
{
    using Platform::File;
    return openChecked(FileName, Quiet, File::Binary | File::Read);
}

void sub_LockForMaintenance(const QString& FileName, qint16 State)
{
    Global::guarded("Indexing:sub_LockForMaintenance", [&] {
        if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
            return;
        using Platform::File;
        File file = File::open(FileName, File::Binary | File::Read | File::Write);
        if (!readIndexFlag(file)) {
            file.close();
            showInvalid(FileName);
            return;
        }
        writeMaintenanceFlag(file, State);
        file.close();
        std::vector<File>& holds = maintenanceHolds();
        std::erase_if(holds, [&](const File& held) { return held.isAt(FileName); });
        if (State == MaintenanceFlag)
            holds.push_back(File::holdWritingInPlace(FileName));
    });
}

std::optional<qint16> readIndexFlag(const Platform::File& file)
{
    const QByteArray header = file.readAt(1, RootPosition - 1);
    if (header.size() < RootPosition - 1 ||
        DataFiles::checkHeader(header, IndexFileKind).verdict != DataFiles::HeaderVerdict::Good)
        return std::nullopt;
    return qFromLittleEndian<qint16>(header.constData() + FlagPosition - 1);
}

void writeMaintenanceFlag(Platform::File& file, qint16 State)
{
    char flag[2];
    qToLittleEndian<qint16>(State, flag);
    file.writeAt(FlagPosition, QByteArrayView(flag, 2));
}

QString showUnderMaintenance(const QString& FileName, bool Quiet)
{
    const QString title = IndexTitle(FileName);
    if (!Quiet)
        Global::showMessage(LockedMessage, {title}, Platform::MsgButtons::Ok,
                            Platform::MsgIcon::Information, FileInUseTitle);
    return Global::ResolveRes(LockedMessage, {title});
}

} // namespace Indexing
