// SPDX-License-Identifier: GPL-3.0-or-later
#include "InternationalFile.h"

#include "DataFile.h"
#include "platform/FileSystem.h"

#include <QFileInfo>

#include <algorithm>

namespace DataFiles {

const FileKind InternationalFileKind{"Zux International", 0.001f, 719};

namespace {

QString digitsOf(QStringView text)
{
    QString digits;
    digits.reserve(text.size());
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

// How an area code stands to a number's digits: the code's digits begin
// the number (Begins, with the code's digit count), the number's digits
// begin the code and the code goes on (Longer), or neither.
enum class Fit
{
    None,
    Begins,
    Longer
};

Fit fitOf(QStringView code, QStringView digits, qsizetype& codeDigits)
{
    qsizetype matched = 0;
    for (const QChar c : code) {
        if (c < u'0' || c > u'9')
            continue;
        if (matched == digits.size())
            return Fit::Longer;
        if (digits[matched] != c)
            return Fit::None;
        ++matched;
    }
    codeDigits = matched;
    return matched ? Fit::Begins : Fit::None;
}

} // namespace

const CountryRecord* InternationalRecord::country(qint64 reference) const
{
    const qint64 index = reference - countries.lbound;
    if (index < 0 || index >= qint64(countries.items.size()))
        return nullptr;
    return &countries.items[std::size_t(index)];
}

const CountryRecord* InternationalRecord::country(const QString& name) const
{
    const QStringView wanted = QStringView(name).trimmed();
    for (const CountryRecord& c : countries.items) {
        if (QStringView(c.name).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

AreaCodeMatch lookUpAreaCode(const CountryRecord& country, const QString& number)
{
    const QString written = number.trimmed();
    QString digits = digitsOf(written);
    const QString trunk = digitsOf(country.trunkPrefix);

    // No national number begins with "00", which is how most of the world
    // dials abroad.
    bool international = written.startsWith(u'+');
    if (!international && digits.startsWith(QLatin1String("00"))) {
        international = true;
        digits.remove(0, 2);
    }
    if (international) {
        const QString code = digitsOf(country.diallingCode);
        if (!digits.startsWith(code))
            return {code.startsWith(digits) ? NotExactLocale : UnknownAreaCode, {}, {}};
        digits.remove(0, code.size());
        // "+44 (0)113" keeps the trunk prefix that "+44 113" leaves out.
        if (!digits.startsWith(trunk))
            digits.prepend(trunk);
    }
    if (digits.isEmpty())
        return {UnknownAreaCode, {}, {}};

    const AreaCodeRecord* best = nullptr;
    qsizetype bestLength = 0;
    bool longerCodes = false;
    for (const AreaCodeRecord& area : country.areaCodes.items) {
        qsizetype length = 0;
        switch (fitOf(area.code, digits, length)) {
        case Fit::Begins:
            if (length > bestLength) {
                best = &area;
                bestLength = length;
            }
            break;
        case Fit::Longer:
            longerCodes = true;
            break;
        case Fit::None:
            break;
        }
    }
    if (longerCodes)
        return {NotExactLocale, best ? best->place : QString(), best ? best->code : QString()};
    if (best)
        return {0, best->place, best->code};
    return {UnknownAreaCode, {}, {}};
}

std::vector<CountryCodeRow> countryCodeRows(const InternationalRecord& record)
{
    std::vector<CountryCodeRow> rows;
    rows.reserve(record.countries.items.size());
    qint64 reference = record.countries.lbound;
    for (const CountryRecord& country : record.countries.items) {
        const QString code = country.diallingCode.trimmed();
        rows.push_back({(code.isEmpty() ? QString() : QLatin1Char('+') + code) + QLatin1Char('\t') +
                            country.name,
                        reference++});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CountryCodeRow& a, const CountryCodeRow& b) {
                         return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
                     });
    return rows;
}

} // namespace DataFiles

namespace FileOperations {

using namespace DataFiles;

std::optional<InternationalRecord> readInternationalFile(const QString& path, bool quiet)
{
    const QString found = path.isEmpty() ? path : Platform::resolveNoCase(path);
    // A database that is not there is as useless as one that is not a
    // database, and the message names the file that was looked for.
    if (!QFileInfo(found).isFile()) {
        if (!quiet)
            showWrongMagic(found, InternationalFileKind);
        return std::nullopt;
    }
    const std::optional<LoadedFile> file = loadDataFile(found, InternationalFileKind, quiet);
    if (!file)
        return std::nullopt;
    InternationalRecord record;
    bool whole = false;
    try {
        whole = readRecord(file->bytes, file->position, record).complete;
    } catch (const RecordDamage&) {
    }
    if (!whole) {
        if (!quiet)
            showWrongMagic(found, InternationalFileKind);
        return std::nullopt;
    }
    return record;
}

void writeInternationalFile(const QString& path, const InternationalRecord& record)
{
    writeDataFile(path, InternationalFileKind, record);
}

} // namespace FileOperations
