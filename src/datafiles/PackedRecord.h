// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The packed record encoding of every binary data file of the suite.
//
// A file is a run of values, one after another from a 1-based byte position,
// with no padding and every number little-endian:
//
//   Int16 (flags: 0 false, -1 true)   2 bytes
//   Int32, Float32                     4 bytes
//   Float64 (also dates)               8 bytes
//   FixedText<n>                       n bytes, Windows-1252, padded with blanks
//   QString (variable text)            UInt16 byte count, then the bytes
//   Bytes<n>                           n bytes carried as they are
//   std::array<T, n>                   n elements, no header
//   DynArray<T>                        Int16 dimension count (0: unallocated),
//                                      per dimension Int32 count and Int32
//                                      lower bound, then the elements
//   a nested record                    its fields in place
//
// A record type lists its fields once, in file order, in a static member
//
//   template <class Self, class Visitor> static void fields(Self& r, Visitor&& v)
//
// which calls v(number, name, member) for each field: `number` counts from 1
// within the record, `name` is the field's name where the suite gives one
// (nullptr otherwise, and the dump shows "f" and the number). Reading,
// writing, the dump and the size checks all walk that one list.

#include "platform/RunTimeError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtEndian>

#include <array>
#include <concepts>
#include <cstring>
#include <limits>
#include <vector>

namespace DataFiles {

// A record type: it names itself and lists its fields.
template <class T>
concept PackedRecord = requires
{
    T::RecordName;
};

// n bytes of scalar fields that the suite carries as one block.
template <std::size_t N>
struct Bytes
{
    std::array<quint8, N> data{};

    qint16 int16At(std::size_t offset) const
    {
        return qFromLittleEndian<qint16>(data.data() + offset);
    }
    void setInt16At(std::size_t offset, qint16 value)
    {
        qToLittleEndian(value, data.data() + offset);
    }
    qint32 int32At(std::size_t offset) const
    {
        return qFromLittleEndian<qint32>(data.data() + offset);
    }
    void setInt32At(std::size_t offset, qint32 value)
    {
        qToLittleEndian(value, data.data() + offset);
    }
    bool operator==(const Bytes&) const = default;
};

// Text of exactly N bytes. The text is kept as the file holds it, padding
// included, so that a record read and written again is the same bytes.
template <std::size_t N>
struct FixedText
{
    QString text;

    // Without the blanks that pad it.
    QString value() const
    {
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == QLatin1Char(' '))
            --end;
        return text.left(end);
    }
    bool operator==(const FixedText&) const = default;
};

// A dynamic array. Only one-dimensional arrays occur in the suite's records;
// `allocated` tells an array with no elements (dimension count 1, count 0)
// from one never dimensioned (dimension count 0), and the lower bound is kept,
// so that reading and writing again gives the same bytes. Adding an element
// to an unallocated array makes it allocated.
template <class T>
struct DynArray
{
    std::vector<T> items;
    qint32 lbound = 0;
    bool allocated = false;

    bool isAllocated() const { return allocated || !items.empty(); }
    // Equal when they would be written as the same bytes.
    bool operator==(const DynArray& other) const
    {
        if (isAllocated() != other.isAllocated())
            return false;
        return !isAllocated() || (lbound == other.lbound && items == other.items);
    }
};

// The most dimensions the encoding allows; and the most our records use.
constexpr int MaxDimensions = 60;

// A value that no file can hold (a negative count, a dimension count the
// records cannot have): the read ends with "Subscript out of range". The
// detail and the field (as a leaf index, see RecordReader) are for the dump.
class RecordDamage : public Platform::RunTimeError
{
public:
    RecordDamage(QString detail, qint64 leaf)
        : RunTimeError(SubscriptOutOfRange), m_detail(std::move(detail)), m_leaf(leaf)
    {}
    const QString& detail() const { return m_detail; }
    qint64 leaf() const { return m_leaf; }

private:
    QString m_detail;
    qint64 m_leaf;
};

// The fewest bytes that a value of type T takes in a file: what an array
// count is checked against before anything is allocated.
template <class T>
qint64 minEncodedSize();

namespace Detail {

template <class T>
struct Traits
{
    static constexpr bool fixedArray = false;
};
template <class T, std::size_t N>
struct Traits<std::array<T, N>>
{
    static constexpr bool fixedArray = true;
    using Element = T;
    static constexpr qint64 count = N;
};
template <std::size_t N>
struct Traits<Bytes<N>>
{
    static constexpr bool fixedArray = false;
    static constexpr qint64 width = N;
};
template <std::size_t N>
struct Traits<FixedText<N>>
{
    static constexpr bool fixedArray = false;
    static constexpr qint64 width = N;
};
template <class T>
struct Traits<DynArray<T>>
{
    static constexpr bool fixedArray = false;
    static constexpr bool dynamicArray = true;
};

struct SizeCounter
{
    qint64 total = 0;
    template <class T>
    void operator()(int, const char*, const T&)
    {
        total += minEncodedSize<T>();
    }
};

} // namespace Detail

template <class T>
qint64 minEncodedSize()
{
    using Traits = Detail::Traits<T>;
    if constexpr (std::same_as<T, qint16>) {
        return 2;
    } else if constexpr (std::same_as<T, qint32> || std::same_as<T, float>) {
        return 4;
    } else if constexpr (std::same_as<T, double>) {
        return 8;
    } else if constexpr (std::same_as<T, QString>) {
        return 2;
    } else if constexpr (requires { Traits::width; }) {
        return Traits::width;
    } else if constexpr (Traits::fixedArray) {
        return Traits::count * minEncodedSize<typename Traits::Element>();
    } else if constexpr (PackedRecord<T>) {
        static const qint64 size = [] {
            Detail::SizeCounter counter;
            const T probe{};
            T::fields(probe, counter);
            return counter.total;
        }();
        return size;
    } else {
        static_assert(Traits::dynamicArray, "not a type of the packed encoding");
        return 2; // the dimension count of an unallocated array
    }
}

// Cursor over a file's bytes at 1-based positions. Reading past the end gives
// zeros and empty texts; the first value that does not fit is where the file
// ended, and every value after it reads as zero or empty. A text or array
// whose length runs past the end ends the file there too: nothing is
// allocated for more than the bytes that remain.
//
// "Leaves" count the values read one by one (numbers, texts, byte blocks,
// array headers) in field order; the dump walks the same leaves, so the leaf
// at which the file ended names the field for it.
class RecordReader
{
public:
    explicit RecordReader(QByteArrayView bytes, qint64 position = 1)
        : m_bytes(bytes), m_offset(position < 1 ? bytes.size() : position - 1)
    {
        if (m_offset > m_bytes.size()) {
            m_offset = m_bytes.size();
        }
    }

    qint64 position() const { return m_offset + 1; }
    qint64 remaining() const { return m_bytes.size() - m_offset; }
    bool ended() const { return m_endLeaf >= 0; }
    // The leaf at which the file ended, or -1 while it has not.
    qint64 endLeaf() const { return m_endLeaf; }
    qint64 leaves() const { return m_leaves; }

    template <PackedRecord R>
    void read(R& record)
    {
        R::fields(record, *this);
    }
    template <class T>
    void operator()(int, const char*, T& field)
    {
        read(field);
    }

    void read(qint16& value) { value = scalar<qint16>(); }
    void read(qint32& value) { value = scalar<qint32>(); }
    void read(float& value) { value = scalar<float>(); }
    void read(double& value) { value = scalar<double>(); }
    void read(QString& text);
    template <std::size_t N>
    void read(Bytes<N>& block)
    {
        const char* p = take(N);
        if (p)
            std::memcpy(block.data.data(), p, N);
        else
            block.data.fill(0);
    }
    template <std::size_t N>
    void read(FixedText<N>& text)
    {
        text.text = fixedText(N);
    }
    template <class T, std::size_t N>
    void read(std::array<T, N>& elements)
    {
        for (T& element : elements)
            read(element);
    }
    template <class T>
    void read(DynArray<T>& array)
    {
        array = DynArray<T>();
        const qint64 count = arrayHeader(minEncodedSize<T>(), array.lbound);
        if (count < 0)
            return;
        array.allocated = true;
        array.items.resize(std::size_t(count));
        for (T& element : array.items)
            read(element);
    }

private:
    template <class T>
    T scalar()
    {
        const char* p = take(sizeof(T));
        if (!p)
            return T{};
        if constexpr (std::is_integral_v<T>) {
            return qFromLittleEndian<T>(p);
        } else {
            using Bits = std::conditional_t<sizeof(T) == 4, quint32, quint64>;
            const Bits bits = qFromLittleEndian<Bits>(p);
            T value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
    }
    // The next `count` bytes of one leaf, or nullptr once the file has ended.
    const char* take(qint64 count);
    QString fixedText(qint64 count);
    // Reads an array header; the element count, or -1 for an unallocated
    // array or one the file ends in.
    qint64 arrayHeader(qint64 minElementSize, qint32& lbound);
    void endHere() { m_endLeaf = m_leaves; }

    QByteArrayView m_bytes;
    qint64 m_offset;
    qint64 m_leaves = 0;
    qint64 m_endLeaf = -1;
};

// The most bytes a text inside a record holds (its count is 16 bits); a
// longer text is cut when written, so writers of what users type refuse it
// first.
constexpr qsizetype MaxTextBytes = std::numeric_limits<quint16>::max();

// Appends values in the packed encoding.
class RecordWriter
{
public:
    const QByteArray& bytes() const { return m_bytes; }
    QByteArray take() { return std::move(m_bytes); }

    template <PackedRecord R>
    void write(const R& record)
    {
        R::fields(record, *this);
    }
    template <class T>
    void operator()(int, const char*, const T& field)
    {
        write(field);
    }

    void write(qint16 value) { scalar(value); }
    void write(qint32 value) { scalar(value); }
    void write(float value) { scalar(value); }
    void write(double value) { scalar(value); }
    void writeUInt16(quint16 value) { scalar(value); }
    // Windows-1252; a text longer than the 65,535 bytes a length can count is
    // cut there, so that a write never gives a file that reads differently.
    void write(const QString& text);
    void writeRaw(QByteArrayView bytes) { m_bytes.append(bytes.data(), bytes.size()); }
    template <std::size_t N>
    void write(const Bytes<N>& block)
    {
        m_bytes.append(reinterpret_cast<const char*>(block.data.data()), qsizetype(N));
    }
    template <std::size_t N>
    void write(const FixedText<N>& text)
    {
        writeFixedText(text.text, N);
    }
    void writeFixedText(const QString& text, qsizetype width);
    template <class T, std::size_t N>
    void write(const std::array<T, N>& elements)
    {
        for (const T& element : elements)
            write(element);
    }
    template <class T>
    void write(const DynArray<T>& array)
    {
        if (!array.isAllocated()) {
            write(qint16(0));
            return;
        }
        write(qint16(1));
        write(qint32(array.items.size()));
        write(array.lbound);
        for (const T& element : array.items)
            write(element);
    }

private:
    template <class T>
    void scalar(T value)
    {
        char buffer[sizeof(T)];
        if constexpr (std::is_integral_v<T>) {
            qToLittleEndian(value, buffer);
        } else {
            using Bits = std::conditional_t<sizeof(T) == 4, quint32, quint64>;
            Bits bits;
            std::memcpy(&bits, &value, sizeof bits);
            qToLittleEndian(bits, buffer);
        }
        m_bytes.append(buffer, qsizetype(sizeof(T)));
    }

    QByteArray m_bytes;
};

// The outcome of reading one record.
struct ReadResult
{
    bool complete = true;
    // The leaf at which the file ended (see RecordReader), -1 when complete.
    qint64 endLeaf = -1;
    // The position after the record.
    qint64 next = 1;
};

template <PackedRecord R>
ReadResult readRecord(QByteArrayView bytes, qint64 position, R& record)
{
    RecordReader reader(bytes, position);
    reader.read(record);
    return {!reader.ended(), reader.endLeaf(), reader.position()};
}

template <PackedRecord R>
QByteArray recordBytes(const R& record)
{
    RecordWriter writer;
    writer.write(record);
    return writer.take();
}

} // namespace DataFiles
