// SPDX-License-Identifier: GPL-3.0-or-later
#include "Packing.h"

#include "datafiles/FileInfoFile.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/TextRoutines.h"

#include <QFileInfo>

#include <algorithm>

namespace Indexing {
namespace {

struct IndexName
{
    const char* file;
    const char* title;
};
constexpr IndexName IndexNames[] = {
    {"Name", "Name"},
    {"Pcode", "Postcode"},
    {"TelNum", "Phone/Fax/Email"},
    {"UD1", "User-defined 1"},
};

constexpr char PackDigits[] = "0123456789- ";
constexpr int PackBlank = 11;
constexpr int PackOutside = 15;
constexpr qsizetype MaxPackedBytes = 31;

int packCode(QChar ch)
{
    for (int i = 0; i < PackBlank + 1; ++i) {
        if (ch == QLatin1Char(PackDigits[i]))
            return i;
    }
    return PackOutside;
}

} // namespace

QString IndexTitle(int number)
{
    if (number < 1 || number > 4)
        return {};
    return QLatin1String(IndexNames[number - 1].file);
}

QString IndexTitle(const QString& fileName)
{
    const QString base = QFileInfo(fileName).completeBaseName().toLower();
    for (const IndexName& name : IndexNames) {
        if (base.compare(QLatin1String(name.file), Qt::CaseInsensitive) == 0)
            return QLatin1String(name.title);
    }
    return base;
}

int indexNumber(const QString& fileName)
{
    const QString base = QFileInfo(fileName).completeBaseName();
    for (int i = 0; i < 4; ++i) {
        if (base.compare(QLatin1String(IndexNames[i].file), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

QString indexPath(const QString& folder, int number)
{
    return folder + QLatin1Char('/') + IndexTitle(number) + QLatin1String(".bin");
}

QByteArray Zip(const QString& text)
{
    return Global::guarded("Indexing:Zip", [&] {
        if (text.isEmpty())
            return QByteArray();
        const QByteArray bytes = Platform::Cp1252::encode(text);
        return Global::KwZip(bytes, bytes.size() * 2).value_or(bytes);
    });
}

QString UnZip(QByteArrayView packed, char terminator)
{
    return Global::guarded("Indexing:UnZip", [&] {
        if (packed.isEmpty())
            return QString();
        if (const auto text = Global::KwUnZip(packed, packed.size() * 2))
            return Platform::Cp1252::decode(*text);
        const qsizetype end = packed.indexOf(terminator);
        return Platform::Cp1252::decode(packed.first(end < 0 ? packed.size() : end).toByteArray());
    });
}

QByteArray KwPack(const QString& digits, qint16& Flags)
{
    return Global::guarded("Indexing:KwPack", [&] {
        if (digits.isEmpty())
            return QByteArray();
        if (Flags == 0) {
            const QString folder = Global::ResolveFolderRef(digits);
            if (!folder.isEmpty()) {
                const QString info = Platform::findNoCase(folder, QStringLiteral("FileInfo.inf"));
                Flags = Routines_FileInfoFile::ReadFileInfo(info, true).FolderID;
            }
        }
        QString text = digits;
        text.append(text.size() % 2 ? QStringLiteral(" ") : QStringLiteral("  "));
        // The header holds at most 31 bytes; a longer reference is cut there
        // rather than let the header disagree with the bytes that follow.
        const qsizetype pairs = std::min<qsizetype>(text.size() / 2, MaxPackedBytes);
        QByteArray out;
        out.reserve(pairs + 1);
        out.append(static_cast<char>((pairs << 3) | (Flags & 7)));
        for (qsizetype i = 0; i < pairs * 2; i += 2)
            out.append(static_cast<char>(packCode(text[i]) | (packCode(text[i + 1]) << 4)));
        return out;
    });
}

QString KwUnPack(QByteArrayView packed, qint16& Flags, int& Length)
{
    return Global::guarded("Indexing:KwUnPack", [&] {
        if (packed.isEmpty())
            return QString();
        const auto header = static_cast<unsigned char>(packed[0]);
        Flags = header & 7;
        Length = (header >> 3) + 1;
        const qsizetype end = std::min<qsizetype>(Length, packed.size());
        // Written into a string of the most it can hold, then cut to what came.
        QString out(2 * std::max<qsizetype>(end - 1, 0), Qt::Uninitialized);
        QChar* at = out.data();
        for (qsizetype i = 1; i < end; ++i) {
            const auto byte = static_cast<unsigned char>(packed[i]);
            for (const int code : {byte & 0x0F, byte >> 4}) {
                if (code <= PackBlank)
                    *at++ = QLatin1Char(PackDigits[code]);
            }
        }
        out.truncate(at - out.constData());
        return std::move(out).trimmed();
    });
}

} // namespace Indexing
