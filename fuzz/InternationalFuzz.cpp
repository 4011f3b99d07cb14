// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the international database: the record in memory, the
// public commands on the file, and the area-code look-up over whatever
// countries and codes the bytes make, with numbers made of those codes.
#include "DataFileFuzz.h"
#include "datafiles/CountryLists.h"

namespace {

struct NoList : FileOperations::ListTarget
{
    void addItem(const QString&, qint64) override {}
    void clear() override {}
    void setTabStop(int) override {}
};

void lookUpAround(const DataFiles::CountryRecord& country)
{
    // Each code, a digit short of it, a digit past it, and written as an
    // international number: every branch of the look-up.
    std::size_t tried = 0;
    for (const DataFiles::AreaCodeRecord& area : country.areaCodes.items) {
        if (++tried > 64)
            break;
        for (const QString& number :
             {area.code, area.code.chopped(qMin<qsizetype>(1, area.code.size())),
              area.code + QLatin1Char('7'),
              QLatin1Char('+') + country.diallingCode + area.code.mid(1)})
            DataFiles::lookUpAreaCode(country, number);
    }
    DataFiles::lookUpAreaCode(country, QStringLiteral("+"));
    DataFiles::lookUpAreaCode(country, QStringLiteral("0044 (0)113 496 0123"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DataFiles::HeaderCheck header =
        DataFiles::checkHeader(bytes, DataFiles::InternationalFileKind);
    if (header.verdict == DataFiles::HeaderVerdict::Good) {
        Fuzzing::checkRoundTrip<DataFiles::InternationalRecord>(bytes, header.position);
        DataFiles::InternationalRecord record;
        try {
            DataFiles::readRecord(bytes, header.position, record);
        } catch (const DataFiles::RecordDamage&) {
        }
        std::size_t countries = 0;
        for (const DataFiles::CountryRecord& country : record.countries.items) {
            if (++countries > 16)
                break;
            lookUpAround(country);
        }
        DataFiles::countryCodeRows(record);
    }

    FileOperations::setInternationalFilePath(Fuzzing::inputFile(data, size, "International.bin"));
    NoList list;
    QString result;
    for (const char* word : {"FILLCOUNTRYCODES", "COUNTRYREF", "0113 496 0123", "CLOSE"}) {
        QString command = QString::fromLatin1(word);
        FileOperations::PlaceFromAreaCode(list, command, result, QStringLiteral("United Kingdom"));
    }
    DataFiles::dumpDataFile(FileOperations::internationalFilePath(), true);
    return 0;
}
