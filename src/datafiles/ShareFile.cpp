// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShareFile.h"

#include "DataFile.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QFileInfo>

namespace DataFiles {
const FileKind ShareFileKind{"Zux Shared", 0.011f, 730};
}

namespace Routines_ShareFile {

using namespace DataFiles;
using Platform::File;
using Platform::RunTimeError;

namespace {

QString& sharePath()
{
    static QString path;
    return path;
}

std::vector<ShareUser>& userList()
{
    static std::vector<ShareUser> list;
    return list;
}

enum class Source
{
    None,
    A,
    B,
    List
};

struct ItemSource
{
    Source source = Source::None;
    int field = 0; // 1-based
};

ItemSource sourceOf(int item)
{
    switch (item) {
    case 1:
    case 2:
    case 3:
        return {Source::A, item + 5};
    case 4:
    case 5:
    case 6:
        return {Source::A, item - 3};
    case 7:
        return {Source::A, 5};
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
        return {Source::B, item - 7};
    case 13:
        return {Source::B, 8};
    case 14:
    case 15:
        return {Source::B, item - 8};
    case 16:
        return {Source::A, 4};
    case 17:
    case 18:
        return {Source::B, item - 8};
    case 33:
        return {Source::List, 1};
    case 36:
        return {Source::A, 9};
    case 37:
    case 38:
        return {Source::B, item - 26};
    case 39:
    case 40:
        return {Source::A, item - 28};
    case 41:
    case 42:
        return {Source::B, item - 28};
    default:
        return {};
    }
}

// A record's position from the directory, checked against the file.
qint64 recordPosition(qint32 position, qint64 fileSize)
{
    if (position < 1 || position > fileSize)
        throw RunTimeError(63, QStringLiteral("Bad record number"));
    return position;
}

} // namespace

QString shareFilePath()
{
    // The share file that the start-up check settled, unless one is set.
    return sharePath().isEmpty() ? Global::checkedPaths().shareFile : sharePath();
}

void setShareFilePath(const QString& path)
{
    sharePath() = path;
}

const std::vector<ShareUser>& users()
{
    return userList();
}

void setUsers(std::vector<ShareUser> list)
{
    userList() = std::move(list);
}

bool OpenShare(int mode, File& file, qint64& position)
{
    return Global::guarded("Routines_ShareFile:OpenShare", [&] {
        const QString path = shareFilePath();
        if (path.isEmpty() || !QFileInfo(path).isFile())
            return false;
        try {
            file = File::open(path, mode);
        } catch (const RunTimeError&) {
            return false;
        }
        const qint64 magicSize = qint64(qstrlen(ShareFileKind.magic));
        const HeaderCheck header = checkHeader(file.readAt(1, magicSize + 4), ShareFileKind);
        switch (header.verdict) {
        case HeaderVerdict::WrongMagic:
            file.close();
            showWrongMagic(path, ShareFileKind);
            return false;
        case HeaderVerdict::WrongVersion:
            file.close();
            showWrongVersion(path, header.version, ShareFileKind);
            return false;
        case HeaderVerdict::Good:
            break;
        }
        position = header.position;
        return true;
    });
}

bool ReadShare(qint16 Item, QString& Result)
{
    File file;
    const bool done = Global::guarded("Routines_ShareFile:ReadShare", [&] {
        qint64 position = 0;
        if (!OpenShare(File::Binary | File::Read, file, position))
            return false;
        const ItemSource item = sourceOf(Item);
        if (item.source == Source::None) {
            file.close();
            return true;
        }
        const QByteArray bytes = file.readAt(1, file.size());
        file.close();
        RecordReader directory(bytes, position);
        std::array<qint32, 4> entries{};
        directory.read(entries);
        const qint64 size = bytes.size();
        switch (item.source) {
        case Source::A: {
            ShareRecordA a;
            readRecord(bytes, recordPosition(entries[1], size), a);
            Result = a.texts[std::size_t(item.field - 1)];
            break;
        }
        case Source::B: {
            ShareRecordB b;
            readRecord(bytes, recordPosition(entries[2], size), b);
            Result = b.texts[std::size_t(item.field - 1)];
            break;
        }
        case Source::List: {
            ShareUserList list;
            readRecord(bytes, recordPosition(entries[0], size), list);
            setUsers(std::move(list.users.items));
            break;
        }
        case Source::None:
            break;
        }
        return true;
    });
    if (file.isOpen())
        file.close();
    return done;
}

void writeShareFile(const QString& path, const ShareFileContents& contents)
{
    const QByteArray header = headerBytes(ShareFileKind);
    const QByteArray a = recordBytes(contents.a);
    const QByteArray b = recordBytes(contents.b);
    const QByteArray list = recordBytes(contents.list);
    const qint32 aAt = qint32(header.size() + 16 + 1);
    const qint32 bAt = aAt + qint32(a.size());
    const qint32 listAt = bAt + qint32(b.size());
    RecordWriter writer;
    writer.writeRaw(header);
    writer.write(listAt);
    writer.write(aAt);
    writer.write(bAt);
    writer.write(contents.fourth);
    writer.writeRaw(a);
    writer.writeRaw(b);
    writer.writeRaw(list);
    writeFileAtomically(path, writer.bytes());
}

} // namespace Routines_ShareFile
