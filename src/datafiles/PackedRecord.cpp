// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackedRecord.h"

#include "platform/Cp1252.h"

namespace DataFiles {

const char* RecordReader::take(qint64 count)
{
    const qint64 leaf = m_leaves++;
    if (m_endLeaf >= 0)
        return nullptr;
    if (count > remaining()) {
        m_endLeaf = leaf;
        m_offset = m_bytes.size();
        return nullptr;
    }
    const char* p = m_bytes.data() + m_offset;
    m_offset += count;
    return p;
}

QString RecordReader::fixedText(qint64 count)
{
    const char* p = take(count);
    return p ? Platform::Cp1252::decode(p, count) : QString();
}

void RecordReader::read(QString& text)
{
    // The length and its bytes are one leaf: a text cut short is where the
    // file ended, whichever part of it is missing.
    const qint64 leaf = m_leaves;
    const char* p = take(2);
    if (!p) {
        text.clear();
        return;
    }
    const qint64 length = qFromLittleEndian<quint16>(p);
    if (length > remaining()) {
        m_endLeaf = leaf;
        m_offset = m_bytes.size();
        text.clear();
        return;
    }
    text = Platform::Cp1252::decode(m_bytes.data() + m_offset, length);
    m_offset += length;
}

qint64 RecordReader::arrayHeader(qint64 minElementSize, qint32& lbound)
{
    const qint64 leaf = m_leaves;
    const char* p = take(2);
    if (!p)
        return -1;
    const qint16 dimensions = qFromLittleEndian<qint16>(p);
    if (dimensions == 0)
        return -1;
    if (dimensions < 0 || dimensions > MaxDimensions)
        throw RecordDamage(QStringLiteral("dimension count %1").arg(dimensions), leaf);
    // The encoding allows up to 60 dimensions, but every array of the
    // suite's records has one: a file with more is not one of these files.
    if (dimensions != 1)
        throw RecordDamage(
            QStringLiteral("dimension count %1 where the record has a list").arg(dimensions), leaf);
    if (remaining() < 8) {
        m_endLeaf = leaf;
        m_offset = m_bytes.size();
        return -1;
    }
    const char* header = m_bytes.data() + m_offset;
    const qint32 count = qFromLittleEndian<qint32>(header);
    const qint32 lower = qFromLittleEndian<qint32>(header + 4);
    if (count < 0)
        throw RecordDamage(QStringLiteral("element count %1").arg(count), leaf);
    // The upper bound must be a 32-bit index too.
    if (count > 0 && qint64(lower) + count - 1 > std::numeric_limits<qint32>::max())
        throw RecordDamage(
            QStringLiteral("bounds %1 to %2").arg(lower).arg(qint64(lower) + count - 1), leaf);
    m_offset += 8;
    if (qint64(count) * minElementSize > remaining()) {
        m_endLeaf = leaf;
        m_offset = m_bytes.size();
        return -1;
    }
    lbound = lower;
    return count;
}

void RecordWriter::write(const QString& text)
{
    const QByteArray bytes = Platform::Cp1252::encode(QStringView(text).left(MaxTextBytes));
    writeUInt16(quint16(bytes.size()));
    m_bytes.append(bytes);
}

void RecordWriter::writeFixedText(const QString& text, qsizetype width)
{
    QByteArray bytes = Platform::Cp1252::encode(QStringView(text).left(width));
    bytes.append(width - bytes.size(), ' ');
    m_bytes.append(bytes);
}

} // namespace DataFiles
