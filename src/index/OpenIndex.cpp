// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenIndex.h"

#include "IndexFile.h"
#include "Packing.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QFileInfo>
#include <QtEndian>

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
    OpenOutcome outcome;
    Global::guarded("Indexing:OpenIndex", [&] {
        if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
            return;
        Platform::File file = Platform::File::open(FileName, mode);
        const QByteArray header = file.readAt(1, RootPosition - 1);
        const DataFiles::HeaderCheck check = DataFiles::checkHeader(header, IndexFileKind);
        if (check.verdict != DataFiles::HeaderVerdict::Good || header.size() < RootPosition - 1) {
            file.close();
            outcome.message = showInvalid(FileName);
            return;
        }
        if (qFromLittleEndian<qint16>(header.constData() + FlagPosition - 1) == MaintenanceFlag) {
            file.close();
            outcome.locked = true;
            const QString title = IndexTitle(FileName);
            outcome.message = Global::ResolveRes(LockedMessage, {title});
            if (!Quiet)
                Global::showMessage(LockedMessage, {title}, Platform::MsgButtons::Ok,
                                    Platform::MsgIcon::Information, FileInUseTitle);
            return;
        }
        outcome.file = std::move(file);
    });
    return outcome;
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
        const QByteArray header = file.readAt(1, RootPosition - 1);
        const DataFiles::HeaderCheck check = DataFiles::checkHeader(header, IndexFileKind);
        if (check.verdict != DataFiles::HeaderVerdict::Good || header.size() < RootPosition - 1) {
            file.close();
            showInvalid(FileName);
            return;
        }
        char flag[2];
        qToLittleEndian<qint16>(State, flag);
        file.writeAt(FlagPosition, QByteArrayView(flag, 2));
        file.close();
    });
}

} // namespace Indexing
