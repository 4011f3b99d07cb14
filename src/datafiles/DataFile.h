// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every data file of the suite shares: the header and the steps around
// reading and writing one record.
//
// Header:
//
//   Pos.        Type            Meaning
//   1           magic, n bytes  "Zux " and the file's kind, e.g. "Zux Event"
//   n+1         Float32         the format's version, e.g. 0.013
//   n+5         ...             the file's contents

#include "PackedRecord.h"
#include "platform/File.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace DataFiles {

// A kind of data file: its magic, its version and the message that names it
// when the magic is wrong.
struct FileKind
{
    const char* magic;
    float version;
    int badMagicMessage;
};

enum class HeaderVerdict
{
    Good,
    WrongMagic,
    WrongVersion
};

struct HeaderCheck
{
    HeaderVerdict verdict = HeaderVerdict::WrongMagic;
    // The version the file holds (0 when it ends before one).
    float version = 0;
    // Where the contents start.
    qint64 position = 1;
};

// Magic compared byte by byte, case included; version compared as a 32-bit
// float.
HeaderCheck checkHeader(QByteArrayView bytes, const FileKind& kind);
QByteArray headerBytes(const FileKind& kind);

// Message 701 for a file of the wrong version (exclamation icon, OK, title
// "Warning!"), both versions in their plain decimal text.
void showWrongVersion(const QString& fileName, float found, const FileKind& kind);
// The message of a kind for a wrong magic (exclamation icon, OK, "Warning!").
void showWrongMagic(const QString& fileName, const FileKind& kind);

// The bytes of a whole file; the data files are small. Throws RunTimeError
// when the file cannot be opened or read.
QByteArray readWholeFile(const QString& path);

// The steps every reader takes before its record: an empty name or a missing
// file gives nothing, quietly; a wrong magic or version gives nothing after
// its message (unless quiet). `onWrongMagic` replaces the kind's message when
// given. On success, the file's bytes and where the record starts. Open and
// read failures throw RunTimeError, unless `quietOpenFailure` is set.
struct LoadedFile
{
    QByteArray bytes;
    qint64 position = 1;
};
std::optional<LoadedFile>
loadDataFile(const QString& fileName, const FileKind& kind, bool quiet,
             const std::function<void(const QString& path)>& onWrongMagic = {},
             bool quietOpenFailure = false);

// Writes a whole file so that a crash leaves the old file or the new one and
// never half of one (Platform::File::replaceWhole). Throws RunTimeError.
void writeFileAtomically(const QString& path, QByteArrayView bytes);
// The same for the file that `held` holds open as a writer.
void writeFileAtomically(Platform::File& held, QByteArrayView bytes);

// Header and one record.
template <PackedRecord R>
QByteArray dataFileBytes(const FileKind& kind, const R& record)
{
    RecordWriter writer;
    writer.writeRaw(headerBytes(kind));
    writer.write(record);
    return writer.bytes();
}

// Header and one record, written atomically.
template <PackedRecord R>
void writeDataFile(const QString& path, const FileKind& kind, const R& record)
{
    writeFileAtomically(path, dataFileBytes(kind, record));
}

} // namespace DataFiles
