// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/FormSubmissions.h"
#include "shared/Files.h"
#include "shared/Messages.h"

#include <algorithm>

namespace Cli {
namespace {

const char* const ScanUsage = "Usage: vantix scan FOLDER [--values] [--json]\n";

void printHelp(QTextStream& out)
{
    out << ScanUsage << "\n"
        << "Scans the job folder FOLDER as the main window does: every \"*.emi\" e-mail\n"
        << "in it (in alphabetical order, whatever the case of the names) is read, the\n"
        << "form submissions among them are recognised by their subjects with the\n"
        << "form-submission definitions of the settings, and each field that their\n"
        << "bodies carry becomes a row with the value it had in the first e-mail that\n"
        << "held it. Prints the counts of the status bar, the rows, and the subject of\n"
        << "each e-mail whose form no definition names.\n\n"
        << "With --values, each field also shows in how many form e-mails it is and the\n"
        << "distinct values it had there, the most frequent first.\n\n"
        << "With --json, one object:\n"
        << "  {\"files\": N, \"forms\": M, \"fields\": [{\"name\": ..., \"sample\": ...}],\n"
        << "   \"unknown\": [subject, ...],\n"
        << "   \"unknownForms\": [{\"subject\": ..., \"count\": N, \"delimiter\": ...}]}\n"
        << "where files counts the e-mails and forms those that are form submissions;\n"
        << "unknownForms gives each subject of \"unknown\" once (whatever its case), how\n"
        << "many e-mails carry it, and which of \" =\", \": \", \":\", \"=\" and a tab splits\n"
        << "the most of their body lines into a field name and a value (define the form\n"
        << "with `vantix forms add`);\n"
        << "with --values each field also holds \"count\": N and\n"
        << "\"values\": [{\"value\": ..., \"count\": N}].\n\n"
        << "A folder that does not exist fails. An e-mail file that cannot be read is\n"
        << "named on stderr and the scan goes on; the status is then 1.\n";
}

void printJson(const Linking::ScanResult& result, bool values, QTextStream& out)
{
    out << "{\n  \"files\": " << result.files << ",\n  \"forms\": " << result.forms()
        << ",\n  \"fields\": [";
    for (qsizetype i = 0; i < result.rows.size(); ++i) {
        const Linking::FieldRow& row = result.rows[i];
        out << (i ? ",\n    " : "\n    ") << "{\"name\": " << jsonString(row.fieldName)
            << ", \"sample\": " << jsonString(row.sample);
        if (values) {
            const Linking::FieldUse use = result.uses.value(row.fieldName);
            out << ", \"count\": " << use.count << ", \"values\": [";
            for (qsizetype v = 0; v < use.values.size(); ++v)
                out << (v ? ", " : "") << "{\"value\": " << jsonString(use.values[v].value)
                    << ", \"count\": " << use.values[v].count << "}";
            out << "]";
        }
        out << "}";
    }
    out << (result.rows.isEmpty() ? "],\n" : "\n  ],\n") << "  \"unknown\": [";
    for (qsizetype i = 0; i < result.unknown.size(); ++i)
        out << (i ? ", " : "") << jsonString(result.unknown[i]);
    out << "],\n  \"unknownForms\": [";
    for (qsizetype i = 0; i < result.unknownForms.size(); ++i) {
        const Linking::UnknownForm& form = result.unknownForms[i];
        out << (i ? ",\n    " : "\n    ") << "{\"subject\": " << jsonString(form.subject)
            << ", \"count\": " << form.count << ", \"delimiter\": " << jsonString(form.delimiter)
            << "}";
    }
    out << (result.unknownForms.isEmpty() ? "]\n}\n" : "\n  ]\n}\n");
}

// A value on one line of the table.
QString cell(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return line;
}

// A text as one word of a shell's command line.
QString shellWord(const QString& text)
{
    if (text == QLatin1String("\t"))
        return QStringLiteral("$'\\t'");
    return QLatin1Char('\'') + cell(text).replace(u'\'', QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

void printTable(const Linking::ScanResult& result, bool values, QTextStream& out)
{
    out << consoleText(Global::ResolveRes(9303, {result.files, result.forms()})) << "\n\n";
    if (result.rows.isEmpty()) {
        out << Global::ResolveRes(9302) << "\n";
    } else {
        qsizetype width = 5;
        for (const Linking::FieldRow& row : result.rows)
            width = std::max(width, std::min<qsizetype>(row.fieldName.size(), 32));
        out << QStringLiteral("Field").leftJustified(width) << "  Sample\n"
            << QString(width, u'-') << "  " << QString(6, u'-') << "\n";
        for (const Linking::FieldRow& row : result.rows) {
            out << cell(row.fieldName).leftJustified(width) << "  " << cell(row.sample) << "\n";
            if (!values)
                continue;
            const Linking::FieldUse use = result.uses.value(row.fieldName);
            out << QString(width + 2, u' ') << "in " << use.count << " of " << result.mails.size()
                << " forms:\n";
            for (const Linking::ValueCount& value : use.values)
                out << QString(width + 4, u' ') << QString::number(value.count).rightJustified(5)
                    << "  " << cell(value.value) << "\n";
        }
    }
    if (!result.unknown.isEmpty()) {
        out << "\nE-mails of forms that no definition names (" << result.unknown.size() << "):\n";
        for (const QString& subject : result.unknown)
            out << "  " << cell(subject) << "\n";
        out << "\nTo define them:\n";
        for (const Linking::UnknownForm& form : result.unknownForms)
            out << "  vantix forms add " << shellWord(form.subject) << " --delimiter "
                << shellWord(form.delimiter) << "\n";
    }
}

} // namespace

int scanCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(ScanUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Arguments parsed =
        parseArguments(args, {QStringLiteral("--json"), QStringLiteral("--values")}, 1,
                       QStringLiteral("scan needs one job folder"), context, usage);
    if (parsed.status != Ok)
        return parsed.status;
    const QString& folder = parsed.positional[0];
    if (!openSettings(context))
        return Failed;

    const std::optional<Linking::ScanResult> result = scanFolder(folder, context);
    if (!result)
        return Failed;
    if (parsed.has("--json"))
        printJson(*result, parsed.has("--values"), context.out);
    else
        printTable(*result, parsed.has("--values"), context.out);
    return finish(context);
}

} // namespace Cli
