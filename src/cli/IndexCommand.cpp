// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "ProgressLine.h"
#include "datafiles/DataFile.h"
#include "index/Build.h"
#include "index/IndexTasks.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/Search.h"
#include "index/Verify.h"
#include "platform/ConsoleUiHost.h"
#include "platform/File.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Values.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <optional>
#include <unistd.h>

namespace Cli {
namespace {

const char* const IndexUsage =
    "Usage: vantix index rebuild [--fields 1,2,3,4]\n"
    "       vantix index search CLUE [--fields 1,2,3,4] [--types NOCF] [--limit N] [--json]\n"
    "       vantix index verify [NAME]\n"
    "       vantix index lock NAME\n"
    "       vantix index unlock NAME\n"
    "       vantix index tasks list [--json]\n"
    "       vantix index tasks run\n";

void printHelp(QTextStream& out)
{
    out << IndexUsage << "\n"
        << "The contact index of the current settings mode: the files Name.bin,\n"
        << "Pcode.bin, TelNum.bin and UD1.bin in its index folder. NAME is an index's\n"
        << "number (1 to 4), its file name (Pcode or Pcode.bin) or the path of a file.\n\n"
        << "  rebuild  builds the indexes anew from the filing tree, as the finder's\n"
        << "           Rebuild does. Each index is locked for maintenance meanwhile\n"
        << "           (the suite's writers keep out; searches read the old index) and\n"
        << "           replaced whole at the end. Progress goes to stderr. An index\n"
        << "           that another rebuild is working on is left out. Ctrl-C or\n"
        << "           SIGTERM stops the rebuild: the indexes stay as they were, their\n"
        << "           flags too. One that was killed outright leaves its indexes whole\n"
        << "           but locked until the next rebuild or unlock; searches go on\n"
        << "           meanwhile, with a line on stderr for each. A folder of the\n"
        << "           tree that cannot be read is named on stderr and counted in the\n"
        << "           summary line, and the status is 1: what it holds is missing.\n"
        << "  search   searches as the finder does and prints its rows, best first,\n"
        << "           then its status line. --limit N is the hit limit: where the\n"
        << "           finder would ask whether to go on, the search stops; without\n"
        << "           it there is no limit. --types keeps the hits of the folder\n"
        << "           kinds named (N, O, C, F). With --json, one object:\n"
        << "             {\"hits\": N, \"traffic\": BYTES, \"seconds\": S,\n"
        << "              \"skipped\": [{\"index\": NAME, \"message\": TEXT}],\n"
        << "              \"rows\": [{\"rank\": R, \"display\": TEXT, \"data\": TEXT,\n"
        << "                        \"ref\": REF, \"kind\": K}]}\n"
        << "           where skipped names each index that could not be searched\n"
        << "           (one that a writer in place has locked for maintenance, 914).\n"
        << "           An index left locked by a rebuild or lock that has ended is\n"
        << "           searched, with a line on stderr that says so.\n"
        << "  verify   walks every table, cell and chain of each index (or of NAME)\n"
        << "           and reports its counts and any damage, among it chains that\n"
        << "           run into one another, records over the tables, and bytes after\n"
        << "           the last table or record; the status is 1 when there is damage.\n"
        << "           It also names the temporary files beside an index that writers\n"
        << "           killed part way left (the next writer of the index removes\n"
        << "           them).\n"
        << "  lock     sets an index's maintenance flag, which keeps the suite's\n"
        << "           writers out; searches go on, with a line on stderr that says\n"
        << "           the index was left locked.\n"
        << "  unlock   clears it, for an index left locked by an interrupted rebuild.\n"
        << "  tasks list  the outstanding index tasks (new folders waiting to be\n"
        << "           indexed) as 'vantix dump' shows the task file.\n"
        << "  tasks run   carries out the tasks of the current mode, as the finder's\n"
        << "           DO button does: their folders are added to the indexes, which\n"
        << "           searches go on using meanwhile, and the tasks leave the file;\n"
        << "           a task whose folder has gone is dropped with a line on stderr.\n"
        << "           The status is 1 when the indexes are in use (being rebuilt, or\n"
        << "           brought up to date by another user): the tasks wait.\n\n"
        << "  --fields  the indexes by number or file name, separated by commas\n"
        << "            (default all four)\n";
}

// "1,3" or "Name,TelNum"; empty after saying why.
QList<qint16> parseFields(const QString& text, Context& context, const QString& usage)
{
    QList<qint16> fields;
    for (const QString& item : text.split(QLatin1Char(','))) {
        bool isNumber = false;
        int number = item.trimmed().toInt(&isNumber);
        if (!isNumber)
            number = Indexing::indexNumber(item.trimmed());
        if (number < Indexing::NameIndex || number > Indexing::UD1Index) {
            usageError(
                context,
                QStringLiteral("no index '%1' (1 to 4, or Name, Pcode, TelNum, UD1)").arg(item),
                usage);
            return {};
        }
        if (!fields.contains(qint16(number)))
            fields << qint16(number);
    }
    return fields;
}

const QList<qint16> AllFields{Indexing::NameIndex, Indexing::PcodeIndex, Indexing::TelNumIndex,
                              Indexing::UD1Index};

// Answers the search's question whether to go on past the hit limit with
// No, without showing it: the command never asks. Every other box goes to
// the console as usual.
class NoQuestionsHost final : public Platform::UiHost
{
public:
    explicit NoQuestionsHost(Platform::UiHost& inner) : m_inner(inner) {}
    bool declined() const { return m_declined; }

    Platform::MsgAnswer messageBox(const Platform::MessageBoxRequest& request) override
    {
        if (request.buttons == Platform::MsgButtons::YesNo) {
            m_declined = true;
            return Platform::MsgAnswer::No;
        }
        return m_inner.messageBox(request);
    }
    void beep() override { m_inner.beep(); }
    int pointer() const override { return m_inner.pointer(); }
    void setPointer(int pointer) override { m_inner.setPointer(pointer); }
    void doEvents() override { m_inner.doEvents(); }
    void wait(int milliseconds) override { m_inner.wait(milliseconds); }
    QString openFile(const Platform::OpenFileRequest& request) override
    {
        return m_inner.openFile(request);
    }
    QSize screenSize() const override { return m_inner.screenSize(); }
    QPoint mousePosition() const override { return m_inner.mousePosition(); }

private:
    Platform::UiHost& m_inner;
    bool m_declined = false;
};

// A row's display text without its emphasis marks: the tab mark becomes a
// tab, every other mark (the character 1 and the one after it) goes.
// Appends a row's display text with its emphasis marks taken out and the
// tab mark as `tab`. A mark and its letter take two characters and `tab` at
// most two, so the text never grows: it is written into place.
void appendPlain(QString& out, QStringView display, QStringView tab)
{
    Q_ASSERT(tab.size() <= 2);
    const qsizetype start = out.size();
    out.resize(start + display.size());
    QChar* at = out.data() + start;
    for (qsizetype i = 0; i < display.size(); ++i) {
        if (display[i] != QChar(1))
            *at++ = display[i];
        else if (++i < display.size() && display[i] == QLatin1Char('t'))
            at = std::copy(tab.begin(), tab.end(), at);
    }
    out.truncate(at - out.constData());
}

// The data text starts with 100 less the rank in three digits.
int rankOf(const QString& data)
{
    int order = 0;
    for (qsizetype i = 0; i < 3; ++i) {
        const int digit = i < data.size() ? data[i].digitValue() : -1;
        if (digit < 0)
            return 0;
        order = order * 10 + digit;
    }
    return 100 - order;
}

struct Row
{
    int rank = 0;
    QString display;
    QString data;
    QString ref;
    int kind = 0;
};

Row rowOf(const Indexing::ResultsList::Row& row)
{
    // The folder reference follows the data text's first character 1.
    const qsizetype mark = row.data.indexOf(QChar(1));
    QString plain;
    plain.reserve(row.display.size());
    appendPlain(plain, row.display, u"\t");
    return {rankOf(row.data), plain, row.data, mark < 0 ? QString() : row.data.mid(mark + 1),
            row.image};
}

void printSearchJson(const Indexing::SearchRequest& request, const QList<Row>& rows,
                     QTextStream& out)
{
    out << "{\n  \"hits\": " << request.Hits << ",\n  \"traffic\": " << request.Traffic
        << ",\n  \"seconds\": " << QString::number(request.SearchTime, 'f', 6)
        << ",\n  \"skipped\": [";
    for (qsizetype i = 0; i < request.skipped.size(); ++i)
        out << (i ? ",\n    " : "\n    ") << "{\"index\": " << jsonString(request.skipped[i].index)
            << ", \"message\": " << jsonString(request.skipped[i].message) << "}";
    out << (request.skipped.isEmpty() ? "],\n" : "\n  ],\n") << "  \"rows\": [";
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        out << (i ? ",\n    " : "\n    ") << "{\"rank\": " << row.rank
            << ", \"display\": " << jsonString(row.display)
            << ", \"data\": " << jsonString(row.data) << ", \"ref\": " << jsonString(row.ref)
            << ", \"kind\": " << row.kind << "}";
    }
    out << (rows.isEmpty() ? "]\n}\n" : "\n  ]\n}\n");
}

// One line a row (the rank right-aligned in three places, then the display
// text with each tab as two blanks and no blanks around it), then the
// finder's status line. A search may list thousands of rows: they are
// written into one text, which goes out at once.
void printSearchText(const Indexing::SearchRequest& request, const Indexing::ResultsList& results,
                     QTextStream& out)
{
    qsizetype size = 0;
    for (int i = 0; i < results.count(); ++i)
        size += 6 + results.row(i).display.size();
    QString text;
    text.reserve(size + 100);
    for (int i = 0; i < results.count(); ++i) {
        const Indexing::ResultsList::Row& row = results.row(i);
        // A rank is 1 to 100.
        const int rank = rankOf(row.data);
        const char digits[] = {rank >= 100 ? char('0' + rank / 100 % 10) : ' ',
                               rank >= 10 ? char('0' + rank / 10 % 10) : ' ', char('0' + rank % 10),
                               ' ', ' '};
        text += QLatin1StringView(digits, sizeof digits);
        const qsizetype start = text.size();
        appendPlain(text, row.display, u"  ");
        const QStringView plain = QStringView(text).sliced(start);
        const QStringView trimmed = plain.trimmed();
        if (trimmed.data() != plain.data())
            text.remove(start, trimmed.data() - plain.data());
        text.truncate(start + trimmed.size());
        text += QLatin1Char('\n');
    }
    if (results.count() > 0)
        text += QLatin1Char('\n');
    if (request.Hits != 0)
        text += Global::ResolveRes(910, {Global::formatNumber(request.Hits, u"#,##0"),
                                         Global::formatNumber(request.SearchTime, u"0.0##"),
                                         Global::FormatFileSize(QString(), request.Traffic)});
    else
        text += Global::ResolveRes(912);
    out << text << "\n";
}

int searchIndex(const QStringList& args, Context& context, const QString& usage)
{
    const Arguments parsed = parseArguments(
        args, {QStringLiteral("--json")}, 1, QStringLiteral("index search needs one clue"), context,
        usage, {QStringLiteral("--fields"), QStringLiteral("--types"), QStringLiteral("--limit")});
    if (parsed.status != Ok)
        return parsed.status;

    Indexing::SearchRequest request;
    request.Clue = parsed.positional[0];
    request.Fields = AllFields;
    if (parsed.has("--fields")) {
        request.Fields = parseFields(parsed.value("--fields"), context, usage);
        if (request.Fields.isEmpty())
            return Usage;
    }
    if (parsed.has("--types")) {
        const QString types = parsed.value("--types").toUpper();
        const QString kinds = QStringLiteral("NOCF");
        if (types.isEmpty() ||
            std::any_of(types.begin(), types.end(), [&](QChar c) { return !kinds.contains(c); }))
            return usageError(context,
                              QStringLiteral("--types takes letters of NOCF, not '%1'")
                                  .arg(parsed.value("--types")),
                              usage);
        for (int k = 0; k < 4; ++k)
            request.TypeFlags[std::size_t(k)] = types.contains(kinds[k]);
    }
    request.HitLimit = -1;
    if (parsed.has("--limit")) {
        bool ok = false;
        const int limit = parsed.value("--limit").toInt(&ok);
        if (!ok || limit < 1 || limit > 32767)
            return usageError(context,
                              QStringLiteral("--limit needs a whole number from 1 to 32767, not "
                                             "'%1'")
                                  .arg(parsed.value("--limit")),
                              usage);
        request.HitLimit = qint16(limit);
    }
    if (!openSettings(context) || !preparePaths())
        return Failed;

    Indexing::ResultsList results;
    request.ResultsList = &results;
    request.ShowIcons = true; // each row's picture number is its folder kind
    NoQuestionsHost host(context.host);
    {
        Platform::ScopedUiHost scoped(host);
        Indexing::Find(request);
    }
    if (parsed.has("--json")) {
        QList<Row> rows;
        for (int i = 0; i < results.count(); ++i)
            rows << rowOf(results.row(i));
        printSearchJson(request, rows, context.out);
    } else {
        printSearchText(request, results, context.out);
    }
    for (const QString& note : std::as_const(request.notes))
        context.err << "vantix: " << note << "\n";
    if (host.declined())
        context.err << "vantix: the search stopped after passing the hit limit of "
                    << request.HitLimit << "\n";
    return finish(context);
}

int rebuildIndex(const QStringList& args, Context& context, const QString& usage)
{
    const Arguments parsed =
        parseArguments(args, {}, 0, QStringLiteral("index rebuild takes no further arguments"),
                       context, usage, {QStringLiteral("--fields")});
    if (parsed.status != Ok)
        return parsed.status;
    QList<qint16> fields = AllFields;
    if (parsed.has("--fields")) {
        fields = parseFields(parsed.value("--fields"), context, usage);
        if (fields.isEmpty())
            return Usage;
    }
    if (!openSettings(context) || !preparePaths())
        return Failed;
    if (!rebuildIndexes(context, fields))
        return Failed;
    return finish(context);
}

// The file that NAME gives, setting up the mode's paths when it is not a
// path; nothing after saying why.
std::optional<QString> indexFile(const QString& name, Context& context)
{
    if (name.contains(QLatin1Char('/')))
        return name;
    if (!preparePaths())
        return std::nullopt;
    bool isNumber = false;
    int number = name.toInt(&isNumber);
    if (!isNumber)
        number = Indexing::indexNumber(name);
    if (number >= Indexing::NameIndex && number <= Indexing::UD1Index)
        return Indexing::indexPath(Indexing::indexFolder(), number);
    context.err << "vantix: no index '" << name << "' (1 to 4, or Name, Pcode, TelNum, UD1)\n";
    return std::nullopt;
}

QString count(qint64 n, const char* one, const char* many)
{
    return Global::formatNumber(double(n), u"#,##0") + QLatin1Char(' ') +
           QLatin1String(n == 1 ? one : many);
}

// One index file's counts and damage; false when it is damaged (or missing,
// when it was named).
bool verifyFile(const QString& file, bool named, QTextStream& out)
{
    const QString name = QFileInfo(file).fileName();
    if (!QFileInfo::exists(file)) {
        out << name << ": missing\n";
        return !named;
    }
    QByteArray bytes;
    try {
        bytes = DataFiles::readWholeFile(file);
    } catch (const Platform::RunTimeError& error) {
        out << name << ": cannot be read: " << error.description() << "\n";
        return false;
    }
    const Indexing::IndexSummary summary = Indexing::summarizeIndex(Indexing::BytesSource(bytes));
    out << name << ": ";
    if (summary.headerGood)
        out << count(summary.cells, "cell", "cells") << ", "
            << count(summary.records, "record", "records") << ", "
            << count(summary.entries, "entry", "entries")
            << (summary.flag == Indexing::MaintenanceFlag ? ", locked for maintenance" : "");
    if (summary.damage.isEmpty()) {
        out << "\n";
        return true;
    }
    out << (summary.headerGood ? "; " : "") << count(summary.damage.size(), "problem", "problems")
        << ":\n";
    for (const Indexing::IndexDamage& damage : summary.damage)
        out << "  " << damage.description << "\n";
    return false;
}

int verifyIndex(const QStringList& args, Context& context, const QString& usage)
{
    const Arguments parsed = parseArguments(
        args, {}, 0, QStringLiteral("index verify takes at most one index"), context, usage, {}, 1);
    if (parsed.status != Ok)
        return parsed.status;
    if (!openSettings(context))
        return Failed;
    QStringList files;
    if (parsed.positional.isEmpty()) {
        if (!preparePaths())
            return Failed;
        for (const qint16 number : AllFields)
            files << Indexing::indexPath(Indexing::indexFolder(), number);
    } else {
        const std::optional<QString> file = indexFile(parsed.positional[0], context);
        if (!file)
            return Failed;
        files << *file;
    }

    bool damaged = false;
    for (const QString& file : files) {
        damaged = !verifyFile(file, !parsed.positional.isEmpty(), context.out) || damaged;
        // What writers that were killed left beside it.
        for (const QString& temporary : Platform::File::temporariesOf(file)) {
            context.out << "  " << QFileInfo(temporary).fileName() << " ("
                        << Global::FormatFileSize(QString(), QFileInfo(temporary).size()) << "): "
                        << (Platform::File::writerGone(temporary)
                                ? QStringLiteral("left by a writer that was stopped; the next "
                                                 "writer of %1 removes it")
                                      .arg(QFileInfo(file).fileName())
                                : QStringLiteral("being written just now"))
                        << "\n";
        }
    }
    context.out.flush();
    return damaged ? Failed : finish(context);
}

int lockIndex(const QStringList& args, Context& context, const QString& usage, bool lock)
{
    const Arguments parsed = parseArguments(
        args, {}, 1, QStringLiteral("index %1 needs one index").arg(lock ? "lock" : "unlock"),
        context, usage);
    if (parsed.status != Ok)
        return parsed.status;
    if (!openSettings(context))
        return Failed;
    const std::optional<QString> file = indexFile(parsed.positional[0], context);
    if (!file)
        return Failed;
    if (!QFileInfo::exists(*file)) {
        context.err << "vantix: no index file \"" << *file << "\"\n";
        return Failed;
    }
    Indexing::sub_LockForMaintenance(*file, lock ? Indexing::MaintenanceFlag : qint16(0));
    if (context.host.failed())
        return Failed;
    context.out << "The '" << Indexing::IndexTitle(*file) << "' index ("
                << QFileInfo(*file).fileName() << ") is "
                << (lock ? "locked for maintenance" : "free") << ".\n";
    return finish(context);
}

int indexTasks(const QStringList& args, Context& context, const QString& usage)
{
    const QString verb = args.value(0);
    if (verb == QLatin1String("list")) {
        const Arguments parsed = parseArguments(
            args.mid(1), {QStringLiteral("--json")}, 0,
            QStringLiteral("index tasks list takes no further arguments"), context, usage);
        if (parsed.status != Ok)
            return parsed.status;
        if (!openSettings(context))
            return Failed;
        Indexing::sub_CheckTaskFile();
        const QString path = Indexing::taskFilePath();
        if (path.isEmpty()) {
            context.err << "vantix: the index task file cannot be used\n";
            return Failed;
        }
        QStringList dumpArgs{path};
        if (parsed.has("--json"))
            dumpArgs << QStringLiteral("--json");
        return dumpCommand(dumpArgs, context);
    }
    if (verb != QLatin1String("run"))
        return usageError(context, QStringLiteral("index tasks needs list or run"), usage);
    const Arguments parsed = parseArguments(
        args.mid(1), {}, 0, QStringLiteral("index tasks run takes no further arguments"), context,
        usage);
    if (parsed.status != Ok)
        return parsed.status;
    if (!openSettings(context) || !preparePaths())
        return Failed;
    const Indexing::TaskRunReport report = Indexing::RunIndexTasks();
    for (const QString& line : report.lines)
        context.err << "vantix: " << consoleText(line) << "\n";
    context.out << Global::ResolveRes(961, {report.done}) << "\n";
    if (report.otherModes > 0)
        context.out << report.otherModes
                    << (report.otherModes == 1 ? " task belongs" : " tasks belong")
                    << " to another settings mode and waits for it.\n";
    if (report.busy || report.failed) {
        context.out.flush();
        return Failed;
    }
    return finish(context);
}

// A folder that a rebuild could not read.
constexpr int UnreadableFolder = 971;

std::atomic<bool> stopSignalled = false;

extern "C" void signalStop(int)
{
    stopSignalled = true;
}

// Ctrl-C and SIGTERM stop a rebuild as the finder's Stop does, so that the
// old indexes stay whole and their flags as they were found. A second one
// ends the program at once, for a user who will not wait.
class StopOnSignals
{
public:
    StopOnSignals()
    {
        stopSignalled = false;
        struct sigaction action = {};
        action.sa_handler = signalStop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &action, &m_interrupt);
        sigaction(SIGTERM, &action, &m_terminate);
    }
    ~StopOnSignals()
    {
        sigaction(SIGINT, &m_interrupt, nullptr);
        sigaction(SIGTERM, &m_terminate, nullptr);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    bool requested() const { return stopSignalled; }

private:
    struct sigaction m_interrupt = {};
    struct sigaction m_terminate = {};
};

QString indexNames(const QList<qint16>& fields)
{
    QStringList names;
    for (const qint16 field : fields)
        names << Indexing::IndexTitle(field);
    return names.join(QLatin1String(", ")) +
           QLatin1String(names.size() == 1 ? " index" : " indexes");
}

} // namespace

bool rebuildIndexes(Context& context, const QList<qint16>& fields)
{
    ProgressLine line(context.err);
    const StopOnSignals stop;
    QStringList unreadable;
    const Indexing::BuildProgress progress{
        .setValue = [&](int value) { line.setValue(value); },
        .setLabel = [&](const QString& label) { line.setLabel(label); },
        .stopRequested = [&] { return stop.requested(); },
        .folderUnreadable =
            [&](const QString& folder, const QString& why) {
                unreadable << Global::ResolveRes(UnreadableFolder, {folder, why});
            },
    };
    QList<qint16> rebuiltFields = fields;
    const bool rebuilt = Indexing::RebuildIndexFile(progress, rebuiltFields);
    line.finish();
    for (const QString& folder : std::as_const(unreadable))
        context.err << "vantix: " << folder << "\n";
    QList<qint16> leftOut;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (rebuiltFields[k] == 0)
            leftOut << fields[k];
    }
    if (rebuilt)
        context.err << "Rebuilt the " << indexNames(fields) << " in "
                    << Global::formatNumber(double(line.elapsed()) / 1000, u"#,##0.0") << " s"
                    << (unreadable.isEmpty()
                            ? QString()
                            : QStringLiteral("; %1 could not be read")
                                  .arg(count(unreadable.size(), "folder", "folders")))
                    << "\n";
    else if (stop.requested())
        context.err << "vantix: the index rebuild was stopped; the indexes are as they were\n";
    else if (!leftOut.isEmpty())
        context.err << "vantix: the " << indexNames(leftOut)
                    << (leftOut.size() == 1 ? " was" : " were") << " left out of the rebuild\n";
    else
        context.err << "vantix: the index rebuild failed\n";
    context.err.flush();
    return rebuilt && unreadable.isEmpty();
}

int indexCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(IndexUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    if (args.isEmpty())
        return usageError(context, QStringLiteral("index needs what to do"), usage);
    const QString& action = args.first();
    const QStringList rest = args.mid(1);
    if (action == QLatin1String("search"))
        return searchIndex(rest, context, usage);
    if (action == QLatin1String("rebuild"))
        return rebuildIndex(rest, context, usage);
    if (action == QLatin1String("verify"))
        return verifyIndex(rest, context, usage);
    if (action == QLatin1String("lock") || action == QLatin1String("unlock"))
        return lockIndex(rest, context, usage, action == QLatin1String("lock"));
    if (action == QLatin1String("tasks"))
        return indexTasks(rest, context, usage);
    return usageError(context, QStringLiteral("unknown index action '%1'").arg(action), usage);
}

} // namespace Cli
