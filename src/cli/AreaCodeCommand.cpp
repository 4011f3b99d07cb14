// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "datafiles/CountryLists.h"
#include "shared/Messages.h"

namespace Cli {

int areaCodeCommand(const QStringList& args, Context& context)
{
    const QString usage =
        QStringLiteral("Usage: vantix area-code NUMBER [--country NAME] [--json]\n");
    if (wantsHelp(args)) {
        context.out
            << usage << "\n"
            << "The place of a telephone number, or of an area code alone, from the\n"
            << "international database (International.bin in the shared folder of the\n"
            << "current mode), as the new-contact panel finds it: the place of the longest\n"
            << "area code of the country that the number begins with. Blanks and\n"
            << "punctuation are passed over; after a leading + or 00 comes the country's\n"
            << "dialling code (+44 113 is 0113 in the United Kingdom). NAME is a country of\n"
            << "the database; without it, the setting Config LocalCountry (else United\n"
            << "Kingdom).\n\n"
            << "Prints the country, the area code that matched and its place, a line each,\n"
            << "and the message when there is one: 746 when the number is too short to tell\n"
            << "which of several longer codes it belongs to (the place is then that of the\n"
            << "region, if any), 747 when no area code fits (status 1). --json gives one\n"
            << "object: number, country, code, place, message (0, 746 or 747) and\n"
            << "messageText. A country that the database lacks, or a database that is\n"
            << "missing, of another version or damaged, fails (status 1).\n";
        return Ok;
    }
    const Arguments parsed = parseArguments(args, {QStringLiteral("--json")}, 1,
                                            QStringLiteral("area-code needs one number"), context,
                                            usage, {QStringLiteral("--country")});
    if (parsed.status != Ok)
        return parsed.status;
    if (!openSettings(context) || !preparePaths())
        return Failed;

    const QString number = parsed.positional[0];
    const QString countryAsked = parsed.value("--country");
    QString command = number;
    QString place;
    const FileOperations::PlaceOutcome outcome =
        FileOperations::PlaceFromAreaCode({}, command, place, countryAsked);
    if (!outcome.done)
        return Failed;
    if (outcome.country.isEmpty()) {
        context.err << "vantix: the international database has no country '"
                    << (countryAsked.isEmpty() ? QStringLiteral("(the local country)")
                                               : countryAsked)
                    << "'\n";
        return Failed;
    }
    const QString messageText = outcome.message ? Global::ResolveRes(outcome.message) : QString();

    QTextStream& out = context.out;
    if (parsed.has("--json")) {
        out << "{\"number\": " << jsonString(number)
            << ", \"country\": " << jsonString(outcome.country)
            << ", \"code\": " << jsonString(command) << ", \"place\": " << jsonString(place)
            << ", \"message\": " << outcome.message
            << ", \"messageText\": " << jsonString(messageText) << "}\n";
    } else {
        out << "country: " << outcome.country << "\n";
        if (!command.isEmpty())
            out << "code: " << command << "\n";
        if (!place.isEmpty())
            out << "place: " << place << "\n";
        if (outcome.message)
            out << "message: " << outcome.message << ' ' << messageText << "\n";
    }
    const int status = finish(context);
    return outcome.message == DataFiles::UnknownAreaCode ? Failed : status;
}

} // namespace Cli
