// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dump.h"

#include "DataFile.h"
#include "EventFile.h"
#include "FileInfoFile.h"
#include "ProfileFile.h"
#include "ShareFile.h"
#include "shared/Values.h"

#include <QStringList>

#include <cmath>
#include <optional>
#include <vector>

namespace DataFiles {
namespace {

using Platform::RunTimeError;

struct Node
{
    enum Kind
    {
        Number,
        String,
        Object,
        Array,
        List // a dynamic array: "lbound" and "items"
    };
    Kind kind = Object;
    QString value;
    qint32 lbound = 0;
    // An object's members are keys[i] and items[i]; an array's, items.
    QStringList keys;
    std::vector<Node> items;

    static Node number(const QString& text) { return {Number, text, 0, {}, {}}; }
    static Node string(const QString& text) { return {String, text, 0, {}, {}}; }
    void add(const QString& key, Node node)
    {
        keys << key;
        items.push_back(std::move(node));
    }
};

// Builds the tree of a record, leaf by leaf in the reader's order, and stops
// before the leaf where the file ended (or was damaged), noting that field's
// path.
class TreeBuilder
{
public:
    explicit TreeBuilder(qint64 stopAt) : m_stopAt(stopAt) {}

    bool stopped() const { return m_stopped; }
    const QString& stopPath() const { return m_stopPath; }

    template <PackedRecord R>
    Node record(const R& r, const QString& path)
    {
        Node node;
        const QString saved = m_path;
        m_path = path;
        m_current.push_back(&node);
        R::fields(r, *this);
        m_current.pop_back();
        m_path = saved;
        return node;
    }

    template <class T>
    void operator()(int number, const char* name, const T& field)
    {
        if (m_stopped)
            return;
        const QString key = name ? QString::fromLatin1(name) : QStringLiteral("f%1").arg(number);
        Node* parent = m_current.back();
        const QString path = m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
        if (std::optional<Node> node = build(field, path))
            parent->add(key, std::move(*node));
    }

private:
    bool leaf(const QString& path)
    {
        if (m_leaf++ == m_stopAt) {
            m_stopped = true;
            m_stopPath = path;
            return false;
        }
        return true;
    }

    std::optional<Node> build(qint16 value, const QString& path)
    {
        return leaf(path) ? std::optional(Node::number(QString::number(value))) : std::nullopt;
    }
    std::optional<Node> build(qint32 value, const QString& path)
    {
        return leaf(path) ? std::optional(Node::number(QString::number(value))) : std::nullopt;
    }
    std::optional<Node> build(float value, const QString& path)
    {
        return leaf(path) ? std::optional(realNode(value, Global::floatText(value))) : std::nullopt;
    }
    std::optional<Node> build(double value, const QString& path)
    {
        return leaf(path) ? std::optional(realNode(value, Global::numberText(value)))
                          : std::nullopt;
    }
    std::optional<Node> build(const QString& text, const QString& path)
    {
        return leaf(path) ? std::optional(Node::string(text)) : std::nullopt;
    }
    template <std::size_t N>
    std::optional<Node> build(const Bytes<N>& block, const QString& path)
    {
        if (!leaf(path))
            return std::nullopt;
        const QByteArray bytes(reinterpret_cast<const char*>(block.data.data()), qsizetype(N));
        return Node::string(QString::fromLatin1(bytes.toHex()));
    }
    template <std::size_t N>
    std::optional<Node> build(const FixedText<N>& text, const QString& path)
    {
        return leaf(path) ? std::optional(Node::string(text.text)) : std::nullopt;
    }
    template <PackedRecord R>
    std::optional<Node> build(const R& r, const QString& path)
    {
        Node node = record(r, path);
        if (m_stopped && node.items.empty())
            return std::nullopt;
        return node;
    }
    template <class T, std::size_t N>
    std::optional<Node> build(const std::array<T, N>& elements, const QString& path)
    {
        Node node{Node::Array, {}, 0, {}, {}};
        for (std::size_t i = 0; i < N && !m_stopped; ++i) {
            if (auto element = build(elements[i], path + QStringLiteral("[%1]").arg(i)))
                node.items.push_back(std::move(*element));
        }
        if (m_stopped && node.items.empty())
            return std::nullopt;
        return node;
    }
    template <class T>
    std::optional<Node> build(const DynArray<T>& array, const QString& path)
    {
        if (!leaf(path))
            return std::nullopt;
        Node node{Node::List, {}, array.isAllocated() ? array.lbound : 0, {}, {}};
        for (std::size_t i = 0; i < array.items.size() && !m_stopped; ++i) {
            const qint64 index = qint64(array.lbound) + qint64(i);
            if (auto element = build(array.items[i], path + QStringLiteral("[%1]").arg(index)))
                node.items.push_back(std::move(*element));
        }
        return node;
    }

    static Node realNode(double value, const QString& text)
    {
        // JSON has no words for these.
        return std::isfinite(value) ? Node::number(text) : Node::string(text);
    }

    qint64 m_stopAt;
    qint64 m_leaf = 0;
    bool m_stopped = false;
    QString m_stopPath;
    QString m_path;
    std::vector<Node*> m_current;
};

void renderJson(const Node& node, QString& out, int indent)
{
    const QString inner(indent + 2, QLatin1Char(' '));
    const QString outer(indent, QLatin1Char(' '));
    switch (node.kind) {
    case Node::Number:
        out += node.value;
        return;
    case Node::String:
        out += jsonString(node.value);
        return;
    case Node::List: {
        Node object;
        object.add(QStringLiteral("lbound"), Node::number(QString::number(node.lbound)));
        object.add(QStringLiteral("items"), Node{Node::Array, {}, 0, {}, node.items});
        renderJson(object, out, indent);
        return;
    }
    case Node::Array:
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
    case Node::Object:
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

void renderText(const Node& node, const QString& path, QString& out)
{
    switch (node.kind) {
    case Node::Number:
        out += path + QLatin1String(": ") + node.value + QLatin1Char('\n');
        return;
    case Node::String:
        out += path + QLatin1String(": ") + jsonString(node.value) + QLatin1Char('\n');
        return;
    case Node::List:
        out += path + QStringLiteral(": %1 from %2\n").arg(node.items.size()).arg(node.lbound);
        for (std::size_t i = 0; i < node.items.size(); ++i)
            renderText(node.items[i], path + QStringLiteral("[%1]").arg(node.lbound + qint64(i)),
                       out);
        return;
    case Node::Array:
        for (std::size_t i = 0; i < node.items.size(); ++i)
            renderText(node.items[i], path + QStringLiteral("[%1]").arg(i), out);
        return;
    case Node::Object:
        for (std::size_t i = 0; i < node.items.size(); ++i) {
            const QString& key = node.keys[qsizetype(i)];
            renderText(node.items[i], path.isEmpty() ? key : path + QLatin1Char('.') + key, out);
        }
        return;
    }
}

// Reads one record at `position` into the tree under `key`; the problem for
// stderr when it is not read whole.
template <PackedRecord R>
QString dumpRecord(QByteArrayView bytes, qint64 position, const QString& key, Node& root)
{
    R record;
    qint64 stopAt = -1;
    QString damage;
    try {
        stopAt = readRecord(bytes, position, record).endLeaf;
    } catch (const RecordDamage& error) {
        stopAt = error.leaf();
        damage = error.detail();
    }
    TreeBuilder builder(stopAt);
    root.add(key, builder.record(record, key));
    if (!builder.stopped())
        return {};
    if (!damage.isEmpty())
        return QStringLiteral("the file is damaged at field %1 (%2)")
            .arg(builder.stopPath(), damage);
    return QStringLiteral("the file ends in field %1").arg(builder.stopPath());
}

QString dumpShare(QByteArrayView bytes, qint64 position, Node& root)
{
    RecordReader reader(bytes, position);
    std::array<qint32, 4> directory{};
    reader.read(directory);
    Node entries{Node::Array, {}, 0, {}, {}};
    for (const qint32 entry : directory)
        entries.items.push_back(Node::number(QString::number(entry)));
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
    if (QString problem = dumpRecord<ShareRecordA>(bytes, directory[1], QStringLiteral("A"), root);
        !problem.isEmpty())
        return problem;
    if (QString problem = dumpRecord<ShareRecordB>(bytes, directory[2], QStringLiteral("B"), root);
        !problem.isEmpty())
        return problem;
    QString problem = dumpRecord<ShareUserList>(bytes, directory[0], QStringLiteral("users"), root);
    // The list record's one field is the array: shown as a plain list of users.
    Node list = std::move(root.items.back());
    root.items.pop_back();
    root.keys.removeLast();
    Node users{Node::Array, {}, 0, {}, {}};
    if (!list.items.empty())
        users.items = std::move(list.items.front().items);
    root.add(QStringLiteral("users"), std::move(users));
    return problem.replace(QLatin1String("users.f1"), QLatin1String("users"));
}

struct DumpKind
{
    const char* name;
    const FileKind* kind;
    QString (*dump)(QByteArrayView bytes, qint64 position, Node& root);
};

template <PackedRecord R>
QString dumpOne(QByteArrayView bytes, qint64 position, Node& root)
{
    return dumpRecord<R>(bytes, position, QStringLiteral("record"), root);
}

// Further kinds of file add a line here.
const DumpKind Kinds[] = {
    {"event", &EventFileKind, dumpOne<EventRecord>},
    {"profile", &ProfileFileKind, dumpOne<ProfileRecord>},
    {"fileinfo", &FileInfoFileKind, dumpOne<FileInfoRecord>},
    {"share", &ShareFileKind, dumpShare},
};

} // namespace

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
    DumpOutcome outcome;
    QByteArray bytes;
    try {
        bytes = readWholeFile(path);
    } catch (const RunTimeError& error) {
        outcome.error =
            QStringLiteral("%1: cannot read the file: %2").arg(path, error.description());
        return outcome;
    }
    const DumpKind* kind = nullptr;
    for (const DumpKind& k : Kinds) {
        if (bytes.startsWith(QByteArrayView(k.kind->magic)))
            kind = &k;
    }
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

    Node root;
    root.add(QStringLiteral("kind"), Node::string(QLatin1String(kind->name)));
    root.add(QStringLiteral("version"), Node::number(Global::floatText(header.version)));
    const QString problem = kind->dump(bytes, header.position, root);
    if (json) {
        renderJson(root, outcome.output, 0);
        outcome.output += QLatin1Char('\n');
    } else {
        renderText(root, QString(), outcome.output);
    }
    if (!problem.isEmpty())
        outcome.error = path + QLatin1String(": ") + problem;
    return outcome;
}

} // namespace DataFiles
