// SPDX-License-Identifier: GPL-3.0-or-later
#include "Records.h"
#include "Words.h"
#include "datafiles/PostcodeBuilder.h"

namespace Demo {

using Routines_RADs::PostcodeAddress;

PostcodeAddress postcodeAddress(const PostalAddress& address, const QString& company)
{
    PostcodeAddress out;
    out.postcode = address.postcode;
    out.lines = {QString(),        address.building, address.road,
                 address.district, address.town,     address.county};
    // "|" separates the items of a looked-up address.
    out.company = QString(company).replace(QLatin1Char('|'), QLatin1Char('/'));
    return out;
}

QByteArray postcodeFileBytes(const std::vector<PostcodeAddress>& addresses, Random random)
{
    Routines_RADs::PostcodeFileBuilder builder;
    const auto add = [&](const PostcodeAddress& address) {
        if (const QString problem = builder.add(address); !problem.isEmpty())
            throw DemoError(QStringLiteral("The demo address at %1 cannot go in the postcode "
                                           "address file: %2")
                                .arg(address.postcode, problem));
    };
    int streets = 0;
    for (const PostcodeAddress& address : addresses) {
        add(address);
        // The first address and now and then another get their neighbours
        // too: a street of houses, one of them a shop, under the one postcode.
        if (streets >= 6 || (streets > 0 && !random.chance(20)))
            continue;
        ++streets;
        const QString street = address.lines[2].section(QLatin1Char(' '), 1);
        const int houses = random.between(3, 9);
        for (int i = 1; i <= houses; ++i) {
            PostcodeAddress house = address;
            house.lines[1].clear();
            house.company.clear();
            house.lines[2] = QString::number(i * 2 + random.below(2)) + QLatin1Char(' ') + street;
            if (i == houses && random.chance(70)) {
                house.company = QString::fromUtf8(random.pick(Words::Surnames)) + QLatin1Char(' ') +
                                QString::fromUtf8(random.pick(Words::Trades));
            } else if (random.chance(25)) {
                house.lines[0] = QStringLiteral("Flat %1").arg(random.between(1, 4));
                house.lines[1] = QString::fromUtf8(random.pick(Words::BuildingNames));
            }
            add(house);
        }
    }
    Routines_RADs::PostcodeFileOptions options;
    options.title = QStringLiteral("United Kingdom addresses of the demo");
    options.source = QStringLiteral("vantix demo");
    options.edition = QStringLiteral("Demo");
    try {
        return builder.build(options);
    } catch (const Routines_RADs::PostcodeBuildError& error) {
        throw DemoError(error.message());
    }
}

} // namespace Demo
