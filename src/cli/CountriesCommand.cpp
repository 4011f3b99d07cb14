// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "datafiles/CountryLists.h"

namespace Cli {
namespace {

// The rows as a list control would hold them.
class CountryRows : public FileOperations::ListTarget
{
public:
    struct Row
    {
        QString text;
        qint64 data = 0;
    };
    QList<Row> rows;
    int tabStop = 0;

    void addItem(const QString& text, qint64 data) override { rows.append({text, data}); }
    void clear() override { rows.clear(); }
    void setTabStop(int pixels) override { tabStop = pixels; }
};

const char* const CountriesUsage = "Usage: vantix countries [--codes] [--json]\n";

void printHelp(QTextStream& out)
{
    out << CountriesUsage << "\n"
        << "The country lists of the new-contact panel. Without --codes, the countries\n"
        << "that the settings list (the value names of Config\\Countries), one a line in\n"
        << "the settings' order; no international database is needed. With --codes, the\n"
        << "rows of the country-codes list from the international database\n"
        << "(International.bin in the shared folder of the current mode), sorted: the\n"
        << "dialling code, a tab and the name. --json gives {\"countries\": [...]}, or with\n"
        << "--codes {\"tabStop\": PIXELS, \"rows\": [{\"ref\": N, \"code\": \"+44\",\n"
        << "\"country\": \"United Kingdom\"}]}, ref being the country's reference number.\n"
        << "A database that is missing, of another version or damaged fails with the\n"
        << "program's message on stderr.\n";
}

} // namespace

int countriesCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(CountriesUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Arguments parsed =
        parseArguments(args, {QStringLiteral("--codes"), QStringLiteral("--json")}, 0,
                       QStringLiteral("countries takes no further arguments"), context, usage);
    if (parsed.status != Ok)
        return parsed.status;
    const bool codes = parsed.has("--codes");
    if (!openSettings(context) || (codes && !preparePaths()))
        return Failed;

    CountryRows list;
    QString command = codes ? QStringLiteral("FILLCOUNTRYCODES") : QStringLiteral("FILLCOUNTRIES");
    QString result;
    const FileOperations::PlaceOutcome outcome =
        FileOperations::PlaceFromAreaCode(list, command, result);
    if (!outcome.done)
        return Failed;

    QTextStream& out = context.out;
    if (!parsed.has("--json")) {
        for (const CountryRows::Row& row : list.rows)
            out << row.text << '\n';
        return finish(context);
    }
    out << (codes ? QStringLiteral("{\"tabStop\": %1, \"rows\": [").arg(list.tabStop)
                  : QStringLiteral("{\"countries\": ["));
    for (qsizetype i = 0; i < list.rows.size(); ++i) {
        const CountryRows::Row& row = list.rows[i];
        out << (i ? ",\n  " : "\n  ");
        if (codes)
            out << "{\"ref\": " << row.data
                << ", \"code\": " << jsonString(row.text.section(u'\t', 0, 0))
                << ", \"country\": " << jsonString(row.text.section(u'\t', 1)) << "}";
        else
            out << jsonString(row.text);
    }
    out << (list.rows.isEmpty() ? "]}\n" : "\n]}\n");
    return finish(context);
}

} // namespace Cli
