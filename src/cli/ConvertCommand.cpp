// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "converters/Converters.h"
#include "converters/RtfReader.h"
#include "platform/ConsoleUiHost.h"
#include "platform/Cp1252.h"

#include <QFileDevice>

namespace Cli {
namespace {

struct ConvertOptions
{
    bool wrap = false;
    bool plainOnly = false;
};

struct Routine
{
    const char* name;
    const char* summary;
    QString (*convert)(const QString& text, const ConvertOptions& options);
    bool takesWrap;
    bool takesPlainOnly;
    bool asksFonts; // HTMLtoRTF keeps only the faces that are installed
};

const Routine Routines[] = {
    {"txt2rtf", "TXTtoRTF: plain text (or a whole HTML page) to RTF body text",
     [](const QString& text, const ConvertOptions& o) {
         return Routines_Converters::TXTtoRTF(text, 3, QString(), o.plainOnly);
     },
     false, true, true},
    {"html2rtf", "HTMLtoRTF: HTML to RTF body text, or with --wrap a whole RTF document",
     [](const QString& text, const ConvertOptions& o) {
         return Routines_Converters::HTMLtoRTF(text, o.wrap);
     },
     true, false, true},
    {"html2txt", "HTMLtoTXT: the readable text of HTML",
     [](const QString& text, const ConvertOptions&) {
         return Routines_Converters::HTMLtoTXT(text);
     },
     false, false, false},
    {"rtf2txt", "the plain text of an RTF document, as a rich-text view shows it",
     [](const QString& text, const ConvertOptions&) {
         return Routines_Converters::rtfToPlainText(text);
     },
     false, false, false},
};

const char* const ConvertUsage = "Usage: vantix convert ROUTINE [--wrap] [--plain-only] [FILE|-]\n";

void printHelp(QTextStream& out)
{
    out << ConvertUsage << "\n"
        << "Runs a converter of the program on FILE (or stdin when FILE is - or left out)\n"
        << "and writes its result to stdout exactly, with no line end added. Text goes in\n"
        << "and out as Windows-1252 bytes, as the suite's files hold it; at most 256 MB\n"
        << "is read. No settings file is needed: without one, every setting takes its\n"
        << "default.\n\n"
        << "Routines:\n";
    for (const Routine& routine : Routines)
        out << "  " << QString::fromLatin1(routine.name).leftJustified(10) << routine.summary
            << "\n";
    out << "\nOptions:\n"
        << "  --wrap        html2rtf: a whole document with the fonts and colours used\n"
        << "  --plain-only  txt2rtf: never treat the text as an HTML page\n\n"
        << "A converter that reports an error prints nothing and exits with status 1.\n";
}

const Routine* findRoutine(const QString& name)
{
    for (const Routine& routine : Routines) {
        if (name == QLatin1String(routine.name))
            return &routine;
    }
    return nullptr;
}

} // namespace

bool convertNeedsFonts(const QStringList& args)
{
    // The routine is the first argument that is no option; --plain-only keeps
    // txt2rtf from converting HTML.
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1String("--")))
            continue;
        const Routine* routine = findRoutine(arg);
        return routine && routine->asksFonts && !args.contains(QLatin1String("--plain-only"));
    }
    return false;
}

int convertCommand(const QStringList& args, Context& context)
{
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    ConvertOptions options;
    QStringList positional;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--wrap"))
            options.wrap = true;
        else if (arg == QLatin1String("--plain-only"))
            options.plainOnly = true;
        else if (arg.startsWith(QLatin1String("--")))
            return usageError(context, QStringLiteral("unknown option %1").arg(arg),
                              QLatin1String(ConvertUsage));
        else
            positional << arg;
    }
    if (positional.isEmpty() || positional.size() > 2)
        return usageError(context, QStringLiteral("convert needs a routine and at most one file"),
                          QLatin1String(ConvertUsage));
    const Routine* routine = findRoutine(positional.first());
    if (!routine)
        return usageError(context, QStringLiteral("unknown routine '%1'").arg(positional.first()),
                          QLatin1String(ConvertUsage));
    if ((options.wrap && !routine->takesWrap) || (options.plainOnly && !routine->takesPlainOnly))
        return usageError(
            context,
            QStringLiteral("--wrap is for html2rtf and --plain-only for txt2rtf, not %1")
                .arg(QLatin1String(routine->name)),
            QLatin1String(ConvertUsage));

    QByteArray input;
    if (!openSettings(context) ||
        !readInput(positional.value(1, QStringLiteral("-")), input, context))
        return Failed;
    const QString result = routine->convert(Platform::Cp1252::decode(input), options);
    if (context.host.failed())
        return Failed;
    writeRaw(context, Platform::Cp1252::encode(result));
    return finish(context);
}

} // namespace Cli
