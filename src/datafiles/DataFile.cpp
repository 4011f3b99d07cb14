// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFile.h"

#include "platform/FileSystem.h"
#include "shared/Messages.h"
#include "shared/Values.h"

#include <QFileInfo>

namespace DataFiles {

using Platform::File;
using Platform::RunTimeError;

HeaderCheck checkHeader(QByteArrayView bytes, const FileKind& kind)
{
    const QByteArrayView magic(kind.magic);
    HeaderCheck check;
    if (!bytes.startsWith(magic))
        return check;
    RecordReader reader(bytes, magic.size() + 1);
    reader.read(check.version);
    check.position = reader.position();
    check.verdict =
        check.version == kind.version ? HeaderVerdict::Good : HeaderVerdict::WrongVersion;
    return check;
}

QByteArray headerBytes(const FileKind& kind)
{
    RecordWriter writer;
    writer.writeRaw(QByteArrayView(kind.magic));
    writer.write(kind.version);
    return writer.take();
}

void showWrongVersion(const QString& fileName, float found, const FileKind& kind)
{
    Global::showMessage(701, {fileName, Global::floatText(found), Global::floatText(kind.version)},
                        Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                        Global::Str::TitleWarning);
}

void showWrongMagic(const QString& fileName, const FileKind& kind)
{
    Global::showMessage(kind.badMagicMessage, {fileName}, Platform::MsgButtons::Ok,
                        Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
}

QByteArray readWholeFile(const QString& path)
{
    File file = File::open(path, File::Binary | File::Read);
    QByteArray bytes = file.readAt(1, file.size());
    file.close();
    return bytes;
}

std::optional<LoadedFile> loadDataFile(const QString& fileName, const FileKind& kind, bool quiet,
                                       const std::function<void(const QString&)>& onWrongMagic,
                                       bool quietOpenFailure)
{
    if (fileName.isEmpty())
        return std::nullopt;
    const QString path = Platform::resolveNoCase(fileName);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return std::nullopt;
    LoadedFile loaded;
    try {
        loaded.bytes = readWholeFile(path);
    } catch (const RunTimeError&) {
        if (quietOpenFailure)
            return std::nullopt;
        throw;
    }
    // The file is closed here, before any message.
    const HeaderCheck header = checkHeader(loaded.bytes, kind);
    switch (header.verdict) {
    case HeaderVerdict::WrongMagic:
        if (!quiet) {
            if (onWrongMagic)
                onWrongMagic(path);
            else
                showWrongMagic(fileName, kind);
        }
        return std::nullopt;
    case HeaderVerdict::WrongVersion:
        if (!quiet)
            showWrongVersion(fileName, header.version, kind);
        return std::nullopt;
    case HeaderVerdict::Good:
        break;
    }
    loaded.position = header.position;
    return loaded;
}

void writeFileAtomically(const QString& path, QByteArrayView bytes)
{
    File::replaceWhole(path, bytes.size(), [&](File& file) { file.writeAt(1, bytes); });
}

void writeFileAtomically(File& held, QByteArrayView bytes)
{
    File::replaceWhole(held, bytes.size(), [&](File& file) { file.writeAt(1, bytes); });
}

} // namespace DataFiles
