// SPDX-License-Identifier: GPL-3.0-or-later
#include "CountryLists.h"

#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Values.h"

#include <cmath>
#include <optional>

namespace FileOperations {

using namespace DataFiles;
using Platform::RunTimeError;

namespace {

struct Database
{
    QString path; // set by setInternationalFilePath
    std::optional<InternationalRecord> record;
};

Database& database()
{
    static Database open;
    return open;
}

// The country of a look-up that names none.
QString homeCountry()
{
    const QString local =
        Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("LocalCountry"))
            .toString()
            .trimmed();
    return local.isEmpty() ? QStringLiteral("United Kingdom") : local;
}

const CountryRecord& countryOfReference(const InternationalRecord& record, const QVariant& value)
{
    const double number = Global::toNumber(value);
    // Beyond the reach of a 32-bit index no country can have it.
    const CountryRecord* country = nullptr;
    if (std::abs(number) < 4e9)
        country = record.country(qint64(std::nearbyint(number)));
    if (!country)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    return *country;
}

} // namespace

QString internationalFilePath()
{
    const QString& set = database().path;
    return set.isEmpty()
               ? Global::checkedPaths().sharedFolder + QStringLiteral("/International.bin")
               : set;
}

void setInternationalFilePath(const QString& path)
{
    database().path = path;
    database().record.reset();
}

PlaceOutcome PlaceFromAreaCode(const PlaceTarget& Target, QString& Command, QString& Result,
                               const QString& Country)
{
    return Global::guarded("FileOperations:PlaceFromAreaCode", [&]() -> PlaceOutcome {
        if (Command == QLatin1String("FILLCOUNTRIES")) {
            const QStringList names =
                Global::listingNames(Global::GetRegistryData(QStringLiteral("Config\\Countries"),
                                                             QStringLiteral("ALLSUBKEYS"))
                                         .toString());
            if (Target.list) {
                for (const QString& name : names)
                    Target.list->addItem(name, 0);
            }
            return {true, 0, {}};
        }
        Database& db = database();
        if (Command == QLatin1String("CLOSE")) {
            db.record.reset();
            return {true, 0, {}};
        }
        if (!db.record) {
            db.record = readInternationalFile(internationalFilePath());
            if (!db.record)
                return {};
        }
        const InternationalRecord& record = *db.record;

        if (Command == QLatin1String("FILLCOUNTRYCODES")) {
            if (Target.list) {
                Target.list->clear();
                Target.list->setTabStop(record.codeColumnWidth() * 10);
                for (const CountryCodeRow& row : countryCodeRows(record))
                    Target.list->addItem(row.text, row.reference);
            }
            return {true, 0, {}};
        }
        if (Command == QLatin1String("COUNTRYREF")) {
            Result = countryOfReference(record, Target.value).name;
            return {true, 0, {}};
        }

        const QString name = Country.trimmed().isEmpty() ? homeCountry() : Country.trimmed();
        const CountryRecord* country = record.country(name);
        if (!country) {
            Result.clear();
            Command.clear();
            return {true, UnknownAreaCode, {}};
        }
        const AreaCodeMatch match = lookUpAreaCode(*country, Command);
        Result = match.place;
        Command = match.code;
        return {true, match.message, country->name};
    });
}

} // namespace FileOperations
