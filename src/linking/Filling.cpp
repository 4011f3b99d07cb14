// SPDX-License-Identifier: GPL-3.0-or-later
#include "Filling.h"

#include "linking/SourceText.h"
#include "linking/TagStates.h"
#include "platform/Cp1252.h"
#include "platform/Text.h"

#include <QHash>
#include <QSet>

namespace Linking {
namespace {

// Where each character of the decoded text starts among the document's
// bytes: one byte a character for Windows-1252; for UTF-8, the byte-order
// mark first and then each character's encoded length.
class ByteOffsets
{
public:
    ByteOffsets(const QByteArray& bytes, const DecodedDocument& decoded)
        : m_text(decoded.text), m_utf8(decoded.utf8)
    {
        if (m_utf8 && bytes.startsWith("\xEF\xBB\xBF"))
            m_byte = 3;
    }

    // Positions asked for must not go backwards.
    qsizetype at(qsizetype position)
    {
        if (!m_utf8)
            return position;
        for (; m_char < position; ++m_char) {
            const char16_t c = m_text[m_char].unicode();
            if (c < 0x80)
                m_byte += 1;
            else if (c < 0x800)
                m_byte += 2;
            else if (QChar::isHighSurrogate(c) || QChar::isLowSurrogate(c))
                m_byte += 2; // a pair takes four bytes
            else
                m_byte += 3;
        }
        return m_byte;
    }

private:
    QStringView m_text;
    bool m_utf8 = false;
    qsizetype m_char = 0;
    qsizetype m_byte = 0;
};

QByteArray encodeValue(const QString& escaped, bool utf8)
{
    if (utf8)
        return escaped.toUtf8();
    QByteArray out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped[i];
        if (Platform::Cp1252::canEncode(c)) {
            out += Platform::Cp1252::toByte(c);
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < escaped.size() && escaped[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, escaped[++i]);
        out += "&#" + QByteArray::number(quint32(code)) + ';';
    }
    return out;
}

} // namespace

QString escapeHtml(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

FilledDocument fillDocument(const QByteArray& document, const QList<StoredLink>& links,
                            const QList<FieldLine>& values)
{
    const DecodedDocument decoded = decodeDocumentAs(document);
    const QStringView text(decoded.text);
    ByteOffsets offsets(document, decoded);

    // A link whose field the e-mail carries is filled; one whose field it
    // lacks is a missing field.
    QHash<QString, QString> valueOf;
    for (const FieldLine& line : values)
        valueOf.insert(line.name, line.value);
    TagMarks marks;
    marks.setText(text);
    marks.update(links, QSet<QString>(valueOf.keyBegin(), valueOf.keyEnd()));

    FilledDocument out;
    out.bytes.reserve(document.size());
    QHash<QString, QByteArray> replacements; // by the tag's key: its value, encoded
    QSet<QString> listed;
    qsizetype copied = 0; // bytes of the document copied so far
    for (const TagMark& mark : marks.marks()) {
        const QString tag = text.sliced(mark.at.start, mark.at.length).toString();
        if (!listed.contains(mark.key)) {
            listed.insert(mark.key);
            if (mark.state == TagState::Unlinked)
                out.unlinked.append(tag);
            else if (mark.state == TagState::MissingField)
                out.missing.append({tag, mark.field});
            else
                out.filled.append({tag, mark.field, valueOf.value(mark.field)});
        }
        if (mark.state != TagState::Linked)
            continue;
        auto replacement = replacements.constFind(mark.key);
        if (replacement == replacements.constEnd())
            replacement = replacements.insert(
                mark.key, encodeValue(escapeHtml(valueOf.value(mark.field)), decoded.utf8));
        const qsizetype from = offsets.at(mark.at.start);
        const qsizetype to = offsets.at(mark.at.start + mark.at.length);
        out.bytes += QByteArrayView(document).sliced(copied, from - copied);
        out.bytes += *replacement;
        copied = to;
    }
    out.bytes += QByteArrayView(document).sliced(copied);
    return out;
}

} // namespace Linking
