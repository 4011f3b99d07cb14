// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tree that `vantix dump` prints, built from a record's own field list,
// and its JSON and text forms. Files of other libraries (the index's task
// file) are dumped through the same tree, so every dump reads alike.

#include "DataFile.h"
#include "Dump.h"
#include "PackedRecord.h"
#include "shared/Values.h"

#include <QList>
#include <QStringList>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace DataFiles {

// One value of the dump: a number, a text, an object, an array, or a dynamic
// array ("lbound" and "items").
struct DumpNode
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
    std::vector<DumpNode> items;

    static DumpNode number(const QString& text) { return {Number, text, 0, {}, {}}; }
    static DumpNode string(const QString& text) { return {String, text, 0, {}, {}}; }
    void add(const QString& key, DumpNode node)
    {
        keys << key;
        items.push_back(std::move(node));
    }
};

// Builds the tree of a record, leaf by leaf in the reader's order, and stops
// before the leaf where the file ended (or was damaged), noting that field's
// path.
class DumpTreeBuilder
{
public:
    explicit DumpTreeBuilder(qint64 stopAt) : m_stopAt(stopAt) {}

    bool stopped() const { return m_stopped; }
    const QString& stopPath() const { return m_stopPath; }

    template <PackedRecord R>
    DumpNode record(const R& r, const QString& path)
    {
        DumpNode node;
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
        DumpNode* parent = m_current.back();
        const QString path = m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
        if (std::optional<DumpNode> node = build(field, path))
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

    std::optional<DumpNode> build(qint16 value, const QString& path)
    {
        return leaf(path) ? std::optional(DumpNode::number(QString::number(value))) : std::nullopt;
    }
    std::optional<DumpNode> build(qint32 value, const QString& path)
    {
        return leaf(path) ? std::optional(DumpNode::number(QString::number(value))) : std::nullopt;
    }
    std::optional<DumpNode> build(float value, const QString& path)
    {
        return leaf(path) ? std::optional(realNode(value, Global::floatText(value))) : std::nullopt;
    }
    std::optional<DumpNode> build(double value, const QString& path)
    {
        return leaf(path) ? std::optional(realNode(value, Global::numberText(value)))
                          : std::nullopt;
    }
    std::optional<DumpNode> build(const QString& text, const QString& path)
    {
        return leaf(path) ? std::optional(DumpNode::string(text)) : std::nullopt;
    }
    template <std::size_t N>
    std::optional<DumpNode> build(const Bytes<N>& block, const QString& path)
    {
        if (!leaf(path))
            return std::nullopt;
        const QByteArray bytes(reinterpret_cast<const char*>(block.data.data()), qsizetype(N));
        return DumpNode::string(QString::fromLatin1(bytes.toHex()));
    }
    template <std::size_t N>
    std::optional<DumpNode> build(const FixedText<N>& text, const QString& path)
    {
        return leaf(path) ? std::optional(DumpNode::string(text.text)) : std::nullopt;
    }
    template <PackedRecord R>
    std::optional<DumpNode> build(const R& r, const QString& path)
    {
        DumpNode node = record(r, path);
        if (m_stopped && node.items.empty())
            return std::nullopt;
        return node;
    }
    template <class T, std::size_t N>
    std::optional<DumpNode> build(const std::array<T, N>& elements, const QString& path)
    {
        DumpNode node{DumpNode::Array, {}, 0, {}, {}};
        for (std::size_t i = 0; i < N && !m_stopped; ++i) {
            if (auto element = build(elements[i], path + QStringLiteral("[%1]").arg(i)))
                node.items.push_back(std::move(*element));
        }
        if (m_stopped && node.items.empty())
            return std::nullopt;
        return node;
    }
    template <class T>
    std::optional<DumpNode> build(const DynArray<T>& array, const QString& path)
    {
        if (!leaf(path))
            return std::nullopt;
        DumpNode node{DumpNode::List, {}, array.isAllocated() ? array.lbound : 0, {}, {}};
        for (std::size_t i = 0; i < array.items.size() && !m_stopped; ++i) {
            const qint64 index = qint64(array.lbound) + qint64(i);
            if (auto element = build(array.items[i], path + QStringLiteral("[%1]").arg(index)))
                node.items.push_back(std::move(*element));
        }
        return node;
    }

    static DumpNode realNode(double value, const QString& text)
    {
        // JSON has no words for these.
        return std::isfinite(value) ? DumpNode::number(text) : DumpNode::string(text);
    }

    qint64 m_stopAt;
    qint64 m_leaf = 0;
    bool m_stopped = false;
    QString m_stopPath;
    QString m_path;
    std::vector<DumpNode*> m_current;
};

// The JSON form (with a final line end) or the text form, one leaf a line.
QString renderDump(const DumpNode& root, bool json);

// A kind of file for the dump: its name in the output, its header, and how
// its contents after the header become the tree (the problem for stderr when
// they were not read whole).
struct DumpKind
{
    const char* name;
    const FileKind* kind;
    std::function<QString(QByteArrayView bytes, qint64 position, DumpNode& root)> dump;
};

// dumpDataFile that also knows `moreKinds`, the files of libraries that this
// one does not link.
DumpOutcome dumpDataFile(const QString& path, bool json, const QList<DumpKind>& moreKinds);

// What dumpRecord read: the problem for stderr when the record was not read
// whole, and the position after it.
struct RecordDump
{
    QString problem;
    qint64 next = 1;
};

// Reads one record at `position` into `root` under `key` (appended to an
// array when `root` is one).
template <PackedRecord R>
RecordDump dumpRecord(QByteArrayView bytes, qint64 position, const QString& key, DumpNode& root)
{
    R record;
    qint64 stopAt = -1;
    QString damage;
    RecordDump result;
    try {
        const ReadResult read = readRecord(bytes, position, record);
        stopAt = read.endLeaf;
        result.next = read.next;
    } catch (const RecordDamage& error) {
        stopAt = error.leaf();
        damage = error.detail();
    }
    DumpTreeBuilder builder(stopAt);
    DumpNode node = builder.record(record, key);
    if (root.kind == DumpNode::Array)
        root.items.push_back(std::move(node));
    else
        root.add(key, std::move(node));
    if (!builder.stopped())
        return result;
    if (!damage.isEmpty())
        result.problem =
            QStringLiteral("the file is damaged at field %1 (%2)").arg(builder.stopPath(), damage);
    else
        result.problem = QStringLiteral("the file ends in field %1").arg(builder.stopPath());
    return result;
}

} // namespace DataFiles
