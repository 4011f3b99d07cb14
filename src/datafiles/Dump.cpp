// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFile.h"
#include "DumpTree.h"
#include "EventFile.h"
#include "FileInfoFile.h"
#include "InternationalFile.h"
#include "PostcodeFile.h"
#include "ProfileFile.h"
#include "ShareFile.h"

namespace DataFiles {
namespace {

using Platform::RunTimeError;

void renderJson(const DumpNode& node, QString& out, int indent)
{
    const QString inner(indent + 2, QLatin1Char(' '));
    const QString outer(indent, QLatin1Char(' '));
    switch (node.kind) {
    case DumpNode::Number:
        out += node.value;
        return;
    case DumpNode::String:
        out += jsonString(node.value);
        return;
    case DumpNode::List: {
        DumpNode object;
        object.add(QStringLiteral("lbound"), DumpNode::number(QString::number(node.lbound)));
        object.add(QStringLiteral("items"), DumpNode{DumpNode::Array, {}, 0, {}, node.items});
        renderJson(object, out, indent);
        return;
    }
    case DumpNode::Array:
        if (node.items.empty()) {
            out += QLatin1String("[]");
            return;
        }
        out += QLatin1String("[\n");
        for (std::size_t i = 0; i < node.items.size(); ++i) {
            out += inner;
            renderJson(node.items[i], out, indent + 2);
            out += i + 1 < node.items.size() ? QLatin1String(",\n") : QLatin1String("\n");
        }
        out += outer + QLatin1Char(']');
        return;
    case DumpNode::Object:
        if (node.items.empty()) {
            out += QLatin1String("{}");
            return;
        }
        out += QLatin1String("{\n");
        for (std::size_t i = 0; i < node.items.size(); ++i) {
            out += inner + jsonString(node.keys[qsizetype(i)]) + QLatin1String(": ");
            renderJson(node.items[i], out, indent + 2);
            out += i + 1 < node.items.size() ? QLatin1String(",\n") : QLatin1String("\n");
        }
        out += outer + QLatin1Char('}');
        return;
    }
}

void renderText(const DumpNode& node, const QString& path, QString& out)
{
    switch (node.kind) {
    case DumpNode::Number:
        out += path + QLatin1String(": ") + node.value + QLatin1Char('\n');
        return;
    case DumpNode::String:
        out += path + QLatin1String(": ") + jsonString(node.value) + QLatin1Char('\n');
        return;
    case DumpNode::List:
        out += path + QStringLiteral(": %1 from %2\n").arg(node.items.size()).arg(node.lbound);
        for (std::size_t i = 0; i < node.items.size(); ++i)
            renderText(node.items[i], path + QStringLiteral("[%1]").arg(node.lbound + qint64(i)),
                       out);
        return;
    case DumpNode::Array:
        for (std::size_t i = 0; i < node.items.size(); ++i)
            renderText(node.items[i], path + QStringLiteral("[%1]").arg(i), out);
        return;
    case DumpNode::Object:
        for (std::size_t i = 0; i < node.items.size(); ++i) {
            const QString& key = node.keys[qsizetype(i)];
            renderText(node.items[i], path.isEmpty() ? key : path + QLatin1Char('.') + key, out);
        }
        return;
    }
}

QString dumpShare(QByteArrayView bytes, qint64 position, DumpNode& root)
{
    RecordReader reader(bytes, position);
    std::array<qint32, 4> directory{};
    reader.read(directory);
    DumpNode entries{DumpNode::Array, {}, 0, {}, {}};
    for (const qint32 entry : directory)
        entries.items.push_back(DumpNode::number(QString::number(entry)));
    root.add(QStringLiteral("directory"), std::move(entries));
    if (reader.ended())
        return QStringLiteral("the file ends in its directory");

    const auto outside = [&](qint32 at) { return at < 1 || at > bytes.size(); };
    const struct
    {
        const char* name;
        qint32 at;
    } parts[] = {{"A", directory[1]}, {"B", directory[2]}, {"users", directory[0]}};
    for (const auto& part : parts) {
        if (outside(part.at))
            return QStringLiteral("the position %1 of %2 lies outside the file")
                .arg(part.at)
                .arg(QLatin1String(part.name));
    }
    if (QString problem =
            dumpRecord<ShareRecordA>(bytes, directory[1], QStringLiteral("A"), root).problem;
        !problem.isEmpty())
        return problem;
    if (QString problem =
            dumpRecord<ShareRecordB>(bytes, directory[2], QStringLiteral("B"), root).problem;
        !problem.isEmpty())
        return problem;
    QString problem =
        dumpRecord<ShareUserList>(bytes, directory[0], QStringLiteral("users"), root).problem;
    // The list record's one field is the array: shown as a plain list of users.
    DumpNode list = std::move(root.items.back());
    root.items.pop_back();
    root.keys.removeLast();
    DumpNode users{DumpNode::Array, {}, 0, {}, {}};
    if (!list.items.empty())
        users.items = std::move(list.items.front().items);
    root.add(QStringLiteral("users"), std::move(users));
    return problem.replace(QLatin1String("users.f1"), QLatin1String("users"));
}

// A postcode address file: its header and its users; the addresses are for
// `vantix postcodes lookup`.
QString dumpPostcodeFile(QByteArrayView bytes, qint64 position, DumpNode& root)
{
    const RecordDump header =
        dumpRecord<PostcodeFileHeader>(bytes, position, QStringLiteral("header"), root);
    if (!header.problem.isEmpty())
        return header.problem;
    QString problem =
        dumpRecord<PostcodeFileUsers>(bytes, header.next, QStringLiteral("users"), root).problem;
    // Its one field is the array of names: shown as a plain list.
    DumpNode& users = root.items.back();
    users = users.items.empty() ? DumpNode{DumpNode::Array, {}, 0, {}, {}}
                                : DumpNode(std::move(users.items.front()));
    return problem.replace(QLatin1String("users.names"), QLatin1String("users"));
}

template <PackedRecord R>
QString dumpOne(QByteArrayView bytes, qint64 position, DumpNode& root)
{
    return dumpRecord<R>(bytes, position, QStringLiteral("record"), root).problem;
}

// Further kinds of file add a line here.
const DumpKind OwnKinds[] = {
    {"event", &EventFileKind, dumpOne<EventRecord>},
    {"profile", &ProfileFileKind, dumpOne<ProfileRecord>},
    {"fileinfo", &FileInfoFileKind, dumpOne<FileInfoRecord>},
    {"share", &ShareFileKind, dumpShare},
    {"postcode", &PostcodeFileKind, dumpPostcodeFile},
    {"international", &InternationalFileKind, dumpOne<InternationalRecord>},
};

} // namespace

QString renderDump(const DumpNode& root, bool json)
{
    QString out;
    if (json) {
        renderJson(root, out, 0);
        out += QLatin1Char('\n');
    } else {
        renderText(root, QString(), out);
    }
    return out;
}

QString jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

DumpOutcome dumpDataFile(const QString& path, bool json)
{
    return dumpDataFile(path, json, {});
}

DumpOutcome dumpDataFile(const QString& path, bool json, const QList<DumpKind>& moreKinds)
{
    DumpOutcome outcome;
    QByteArray bytes;
    try {
        bytes = readWholeFile(path);
    } catch (const RunTimeError& error) {
        outcome.error =
            QStringLiteral("%1: cannot read the file: %2").arg(path, error.description());
        return outcome;
    }
    // One magic can begin another ("Zux Index", "Zux IndexTasks"): the
    // longest that matches names the file.
    const DumpKind* kind = nullptr;
    const auto consider = [&](const DumpKind& k) {
        const QByteArrayView magic(k.kind->magic);
        if (bytes.startsWith(magic) &&
            (!kind || magic.size() > QByteArrayView(kind->kind->magic).size()))
            kind = &k;
    };
    for (const DumpKind& k : OwnKinds)
        consider(k);
    for (const DumpKind& k : moreKinds)
        consider(k);
    if (!kind) {
        outcome.error =
            QStringLiteral("%1: not a data file of the suite that this command knows").arg(path);
        return outcome;
    }
    const HeaderCheck header = checkHeader(bytes, *kind->kind);
    if (header.verdict != HeaderVerdict::Good) {
        outcome.error = QStringLiteral("%1: %2 file of version %3; this program reads version %4")
                            .arg(path, QLatin1String(kind->name), Global::floatText(header.version),
                                 Global::floatText(kind->kind->version));
        return outcome;
    }

    DumpNode root;
    root.add(QStringLiteral("kind"), DumpNode::string(QLatin1String(kind->name)));
    root.add(QStringLiteral("version"), DumpNode::number(Global::floatText(header.version)));
    const QString problem = kind->dump(bytes, header.position, root);
    outcome.output = renderDump(root, json);
    if (!problem.isEmpty())
        outcome.error = path + QLatin1String(": ") + problem;
    return outcome;
}

} // namespace DataFiles
