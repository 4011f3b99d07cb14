// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "datafiles/DataFile.h"
#include "datafiles/PostcodeBuilder.h"
#include "datafiles/PostcodeFile.h"
#include "platform/RunTimeError.h"

#include <QBuffer>
#include <QDate>
#include <QFileInfo>

namespace Cli {
namespace {

using namespace Routines_RADs;

const char* const PostcodesUsage =
    "Usage: vantix postcodes lookup POSTCODE [--file NAME] [--json]\n"
    "       vantix postcodes key POSTCODE [--json]\n"
    "       vantix postcodes build SOURCE.csv OUT.BIN [--users NAME,...]\n";

void printHelp(QTextStream& out)
{
    out << PostcodesUsage << "\n"
        << "The postcode address files of the rapid-addressing folder, from which the\n"
        << "new-contact panel fills in an address.\n\n"
        << "lookup puts POSTCODE in the file's form (upper case, one blank before the\n"
        << "inward code: ls10ng is LS1 0NG) and prints each address found, a line each,\n"
        << "its items separated by |: premises and building, road, district, town,\n"
        << "county, postcode, company. NAME is a file of the rapid-addressing folder\n"
        << "(UKPAF.BIN when left out), or a path when it holds a /. --json gives\n"
        << "{\"matches\": N, \"addresses\": [...]}. A damaged file is said on stderr and\n"
        << "the status is 1.\n\n"
        << "key prints the four cells and the key characters of POSTCODE exactly as\n"
        << "given (no change of case or blanks); --json gives {\"cells\": [...], \"key\":\n"
        << "[...]} with the key as its character codes.\n\n"
        << "build makes a postcode address file from a CSV file: a row an address,\n"
        << "its fields postcode, six address lines (premises, building, road,\n"
        << "district, town, county) and company. Fields are separated by commas; a\n"
        << "field in double quotes may hold commas, and writes a double quote as two.\n"
        << "Missing fields at the end of a row are empty; a first row whose first\n"
        << "field is \"postcode\" is a heading. UTF-8, or Windows-1252 where it is not\n"
        << "valid UTF-8; characters that Windows-1252 lacks are written in Latin\n"
        << "letters (a line on stderr counts the fields so changed). A field holds at\n"
        << "most 100 characters and no |. Every row that cannot be read (also one with\n"
        << "a character that has no Latin form) is listed with its line number and\n"
        << "nothing is written. SOURCE.csv may be - for stdin; at most 256 MB is read.\n"
        << "--users lists the login names that may use the file (at most 32); without\n"
        << "it everybody may.\n";
}

QString joinNumbers(const QList<int>& numbers, const QString& separator)
{
    QStringList texts;
    for (const int n : numbers)
        texts << QString::number(n);
    return texts.join(separator);
}

int keyVerb(const Arguments& parsed, Context& context)
{
    const QString postcode = parsed.positional[0];
    QList<int> cells, key;
    for (const qint16 cell : postcodeCells(postcode))
        cells << cell;
    for (const char c : postcodeKey(postcode))
        key << quint8(c);
    if (parsed.has("--json"))
        context.out << "{\"cells\": [" << joinNumbers(cells, QStringLiteral(", "))
                    << "], \"key\": [" << joinNumbers(key, QStringLiteral(", ")) << "]}\n";
    else
        context.out << "cells " << joinNumbers(cells, QStringLiteral(" ")) << "\nkey "
                    << joinNumbers(key, QStringLiteral(" ")) << "\n";
    return finish(context);
}

int lookupVerb(const Arguments& parsed, Context& context)
{
    const QString fileName =
        parsed.has("--file") ? parsed.value("--file") : QStringLiteral("UKPAF.BIN");
    if (!fileName.contains(QLatin1Char('/')) && (!openSettings(context) || !preparePaths()))
        return Failed;
    const QString path = postcodeFilePath(fileName);
    if (!QFileInfo(path).isFile()) {
        context.err << "vantix: there is no postcode address file \"" << path << "\"\n";
        return Failed;
    }
    // Opened here rather than through LookupPostcode, so that a file refused
    // (wrong magic or version, a user not authorised) fails the command.
    std::optional<PostcodeFile> file;
    PostcodeMatches found;
    try {
        file = PostcodeFile::open(path, fileName);
        if (file)
            found = file->lookup(normalisePostcode(parsed.positional[0]));
    } catch (const Platform::RunTimeError& error) {
        context.err << "vantix: cannot read \"" << path << "\": " << error.description() << "\n";
        return Failed;
    }
    if (!file)
        return Failed;
    if (!found.damage.isEmpty()) {
        context.err << "vantix: the postcode address file \"" << path
                    << "\" is damaged: " << found.damage << "\n";
        return Failed;
    }
    if (parsed.has("--json")) {
        context.out << "{\"matches\": " << found.matches() << ", \"addresses\": [";
        for (qsizetype i = 0; i < found.addresses.size(); ++i)
            context.out << (i ? ", " : "") << jsonString(found.addresses[i]);
        context.out << "]}\n";
    } else if (found.addresses.isEmpty()) {
        context.out << found.text << "\n";
    } else {
        for (const QString& address : found.addresses)
            context.out << address << "\n";
    }
    return finish(context);
}

int buildVerb(const Arguments& parsed, Context& context)
{
    const QString source = parsed.positional[0];
    const QString target = parsed.positional[1];
    QByteArray csv;
    if (!readInput(source, csv, context))
        return Failed;
    QBuffer input(&csv);
    input.open(QIODevice::ReadOnly);
    PostcodeFileBuilder builder;
    const QStringList problems = readPostcodeCsv(input, builder);
    if (!problems.isEmpty()) {
        constexpr qsizetype Shown = 20;
        for (qsizetype i = 0; i < std::min(Shown, problems.size()); ++i)
            context.err << "vantix: " << source << ", " << problems[i] << "\n";
        if (problems.size() > Shown)
            context.err << "vantix: and " << problems.size() - Shown << " more rows\n";
        context.err << "vantix: nothing was written\n";
        return Failed;
    }
    PostcodeFileOptions options;
    if (parsed.has("--users"))
        options.users = parsed.value("--users").split(QLatin1Char(','), Qt::SkipEmptyParts);
    options.title = QStringLiteral("Postcode address file");
    options.source = QFileInfo(source).fileName();
    options.edition = QDate::currentDate().toString(Qt::ISODate);
    try {
        PostcodeFileBuilder::Counts counts;
        const QByteArray bytes = builder.build(options, &counts);
        DataFiles::writeFileAtomically(target, bytes);
        if (const qsizetype changed = builder.transliteratedFields())
            context.err << "vantix: " << changed
                        << " field(s) held characters that Windows-1252 lacks and were written "
                           "in Latin letters\n";
        context.out << counts.addresses << " addresses of " << counts.postcodes << " postcodes, "
                    << counts.words << " words in the dictionary: " << target << "\n";
    } catch (const PostcodeBuildError& error) {
        context.err << "vantix: " << error.message() << "\n";
        return Failed;
    } catch (const Platform::RunTimeError& error) {
        context.err << "vantix: cannot write \"" << target << "\": " << error.description() << "\n";
        return Failed;
    }
    return finish(context);
}

} // namespace

int postcodesCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(PostcodesUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("key")) {
        const Arguments parsed =
            parseArguments(rest, {QStringLiteral("--json")}, 1,
                           QStringLiteral("postcodes key needs a postcode"), context, usage);
        return parsed.status != Ok ? parsed.status : keyVerb(parsed, context);
    }
    if (verb == QLatin1String("lookup")) {
        const Arguments parsed = parseArguments(rest, {QStringLiteral("--json")}, 1,
                                                QStringLiteral("postcodes lookup needs a postcode"),
                                                context, usage, {QStringLiteral("--file")});
        return parsed.status != Ok ? parsed.status : lookupVerb(parsed, context);
    }
    if (verb == QLatin1String("build")) {
        const Arguments parsed = parseArguments(
            rest, {}, 2, QStringLiteral("postcodes build needs a CSV file and the file to write"),
            context, usage, {QStringLiteral("--users")});
        return parsed.status != Ok ? parsed.status : buildVerb(parsed, context);
    }
    return usageError(context,
                      verb.isEmpty() ? QStringLiteral("postcodes needs lookup, key or build")
                                     : QStringLiteral("postcodes has no '%1'").arg(verb),
                      usage);
}

} // namespace Cli
