// SPDX-License-Identifier: GPL-3.0-or-later
// vCard 2.1, 3.0 and 4.0 read, vCard 4.0 written.
#include "CardText.h"
#include "shared/Messages.h"

#include <QHash>
#include <QStringDecoder>

#include <optional>

namespace Finding {

using namespace CardText;

namespace {

struct LogicalLine
{
    int line = 0;
    QByteArray text;
};

// The physical lines joined into content lines: a line that begins with a
// blank or a tab goes on the one before (2.1 keeps that blank, 3.0 and 4.0
// drop it), and so does the line after a quoted-printable soft break.
QList<LogicalLine> contentLines(const QByteArray& bytes)
{
    QList<LogicalLine> lines;
    bool keepsBlank = false; // a 2.1 card
    // Of the content line being joined: how far its name and parameters
    // have been looked through for their colon, and whether they say
    // quoted-printable. Each byte is looked at once, however long the line.
    qsizetype scanned = 0;
    bool headDone = false;
    bool quotedPrintable = false;
    const auto scanHead = [&](const QByteArray& text) {
        if (headDone)
            return;
        const qsizetype colon = text.indexOf(':', scanned);
        scanned = text.size();
        if (colon < 0)
            return;
        headDone = true;
        quotedPrintable = text.left(colon).toUpper().contains("QUOTED-PRINTABLE");
    };
    int number = 0;
    qsizetype at = 0;
    // Bytes at the start of the file that mark UTF-8.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        at = 3;
    while (at < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        QByteArray line = bytes.mid(at, end - at);
        at = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!lines.isEmpty()) {
            QByteArray& last = lines.last().text;
            if (quotedPrintable && last.endsWith('=')) {
                last.chop(1);
                last += line;
                continue;
            }
            if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
                last += keepsBlank ? line : line.mid(1);
                scanHead(last);
                continue;
            }
            // The line before is complete: a card's version decides how
            // its folded lines join.
            const QByteArray done = last.left(16).trimmed().toUpper();
            if (done.startsWith("BEGIN:"))
                keepsBlank = false;
            else if (done.startsWith("VERSION:"))
                keepsBlank = done.mid(8).trimmed() == "2.1";
        }
        lines.append({number, line});
        scanned = 0;
        headDone = false;
        quotedPrintable = false;
        scanHead(lines.last().text);
    }
    return lines;
}

QByteArray quotedPrintableDecoded(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Splits at `separator` where it is not escaped by a backslash; the parts
// keep their escapes.
QStringList splitUnescaped(const QString& text, QChar separator)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            part += c;
            part += text[++i];
        } else if (c == separator) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

// A value's escapes undone: a backslash and n (or N) is a line break, a
// backslash before a backslash, comma, semicolon or colon is that
// character, and one before anything else is itself (2.1 escapes nothing
// but the semicolon).
QString unescaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (text[i] != QLatin1Char('\\') || !QStringView(u"\\,;:nN").contains(next)) {
            out += text[i];
            continue;
        }
        out += next == QLatin1Char('n') || next == QLatin1Char('N') ? Newline : next;
        ++i;
    }
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

// The parts of a structured value (N, ADR, ORG), each unescaped.
QStringList structured(const QString& value)
{
    QStringList parts;
    for (const QString& part : splitUnescaped(value, QLatin1Char(';')))
        parts << unescaped(part).trimmed();
    return parts;
}

// The name, parameters and value of a content line; nothing when it has no
// colon outside a quoted parameter value.
struct ContentLine
{
    QByteArray name;
    QList<QByteArray> types; // lower case
    QByteArray charset, encoding;
    QByteArray value;
};

std::optional<ContentLine> parseContentLine(const QByteArray& text)
{
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon < 0)
        return std::nullopt;
    ContentLine line;
    line.value = text.mid(colon + 1);
    const QList<QByteArray> head = text.left(colon).split(';');
    line.name = head[0].trimmed().toUpper();
    // A group ("item1.TEL") says nothing that is kept.
    if (const qsizetype dot = line.name.lastIndexOf('.'); dot >= 0)
        line.name = line.name.mid(dot + 1);
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QByteArray& parameter = head[i];
        const qsizetype equals = parameter.indexOf('=');
        QByteArray key = (equals < 0 ? parameter : parameter.left(equals)).trimmed().toUpper();
        QByteArray value = equals < 0 ? QByteArray() : parameter.mid(equals + 1).trimmed();
        if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
            value = value.mid(1, value.size() - 2);
        if (equals < 0) {
            // 2.1 writes the types and the encoding alone.
            if (key == "QUOTED-PRINTABLE" || key == "BASE64" || key == "8BIT" || key == "7BIT")
                line.encoding = key;
            else
                line.types << key.toLower();
        } else if (key == "CHARSET") {
            line.charset = value;
        } else if (key == "ENCODING") {
            line.encoding = value.toUpper();
        } else if (key == "TYPE") {
            for (const QByteArray& type : value.split(','))
                line.types << type.trimmed().toLower();
        }
    }
    return line;
}

// The text of a content line's value, decoded; nothing when its charset is
// not known.
std::optional<QString> valueText(const ContentLine& line)
{
    const QByteArray bytes =
        line.encoding == "QUOTED-PRINTABLE" ? quotedPrintableDecoded(line.value) : line.value;
    if (line.charset.isEmpty())
        return decodeUnlabelled(bytes);
    QStringDecoder decoder(line.charset.constData());
    if (!decoder.isValid())
        return std::nullopt;
    return QString(decoder.decode(bytes));
}

CardNumber::Kind telephoneKind(const QList<QByteArray>& types)
{
    for (const QByteArray& type : types) {
        if (type == "fax")
            return CardNumber::Fax;
        if (type == "cell" || type == "mobile")
            return CardNumber::Mobile;
    }
    return CardNumber::Telephone;
}

// One property of a card into the card.
void takeProperty(ContactCard& card, const ContentLine& line, const QString& value)
{
    const QByteArray& name = line.name;
    if (name == "FN") {
        card.formattedName = unescaped(value).trimmed();
    } else if (name == "N") {
        const QStringList parts = structured(value);
        card.family = parts.value(0);
        card.given = parts.value(1);
        card.additional = parts.value(2);
        card.prefix = parts.value(3);
        card.suffix = parts.value(4);
    } else if (name == "ORG") {
        card.organisation = structured(value).value(0);
    } else if (name == "TITLE") {
        card.jobTitle = unescaped(value).trimmed();
    } else if (name == "KIND" || name == "X-ABSHOWAS") {
        const QString kind = value.trimmed().toLower();
        card.isOrganisation = kind == QLatin1String("org") || kind == QLatin1String("company");
    } else if (name == "ADR") {
        const QStringList parts = splitUnescaped(value, QLatin1Char(';'));
        const auto part = [&](int n) { return unescaped(parts.value(n)).trimmed(); };
        CardAddress address;
        address.building = part(1).isEmpty() ? part(0) : part(1);
        address.building.replace(Newline, QStringLiteral(", "));
        setStreet(address, unescaped(parts.value(2)).split(Newline));
        address.town = part(3);
        address.county = part(4);
        address.postcode = part(5);
        address.country = part(6);
        if (!address.isEmpty())
            card.addresses << address;
    } else if (name == "TEL" || name == "EMAIL") {
        QString text = unescaped(value).trimmed();
        if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            text = text.mid(4);
        else if (text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
            text = text.mid(7);
        if (!text.isEmpty())
            card.numbers << CardNumber{text, name == "EMAIL" ? CardNumber::EMail
                                                             : telephoneKind(line.types)};
    }
}

QString vcardEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';'))
            out += QLatin1Char('\\');
        if (c == Newline)
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

// A content line folded at 75 octets of UTF-8, never inside a character.
void appendFolded(QString& out, const QString& line)
{
    int octets = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char32_t c = line[i].isHighSurrogate() && i + 1 < line.size()
                               ? QChar::surrogateToUcs4(line[i], line[i + 1])
                               : line[i].unicode();
        const int width = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (octets + width > 75) {
            out += QStringLiteral("\r\n ");
            octets = 1;
        }
        out += line[i];
        if (c >= 0x10000)
            out += line[++i];
        octets += width;
    }
    out += QStringLiteral("\r\n");
}

} // namespace

CardsRead readVCards(const QByteArray& bytes)
{
    CardsRead read;
    std::optional<ContactCard> card;
    std::optional<CardProblem> fault; // what spoils the card being read
    bool straying = false;            // within lines outside any card
    for (const LogicalLine& logical : contentLines(bytes)) {
        if (logical.text.trimmed().isEmpty())
            continue;
        const std::optional<ContentLine> line = parseContentLine(logical.text);
        const bool begins = line && line->name == "BEGIN" &&
                            line->value.trimmed().compare("VCARD", Qt::CaseInsensitive) == 0;
        const bool ends = line && line->name == "END" && card;
        if (begins) {
            if (card)
                read.problems << CardProblem{card->line, Global::ResolveRes(NoEnd)};
            card = ContactCard{};
            card->line = logical.line;
            fault.reset();
            straying = false;
            continue;
        }
        if (!card) {
            if (!straying)
                read.problems << CardProblem{
                    logical.line,
                    Global::ResolveRes(OutsideCard, {decodeUnlabelled(logical.text.left(40))})};
            straying = true;
            continue;
        }
        if (ends) {
            if (fault)
                read.problems << *fault;
            else
                keep(read, *card);
            card.reset();
            continue;
        }
        if (fault)
            continue;
        if (!line) {
            fault = CardProblem{logical.line, Global::ResolveRes(NoColon)};
            continue;
        }
        const std::optional<QString> value = valueText(*line);
        if (!value) {
            fault =
                CardProblem{logical.line, Global::ResolveRes(UnknownCharset,
                                                             {QString::fromLatin1(line->charset)})};
            continue;
        }
        takeProperty(*card, *line, *value);
    }
    if (card)
        read.problems << CardProblem{card->line, Global::ResolveRes(NoEnd)};
    return read;
}

QString writeVCards(const QList<ContactCard>& cards)
{
    QString out;
    for (const ContactCard& card : cards) {
        appendFolded(out, QStringLiteral("BEGIN:VCARD"));
        appendFolded(out, QStringLiteral("VERSION:4.0"));
        const QString name = card.contactName();
        if (name.isEmpty()) {
            appendFolded(out, QStringLiteral("KIND:org"));
            appendFolded(out, QStringLiteral("FN:") + vcardEscaped(card.organisation));
        } else {
            appendFolded(out, QStringLiteral("FN:") + vcardEscaped(name));
            const QStringList parts = {card.family, card.given, card.additional, card.prefix,
                                       card.suffix};
            QStringList escaped;
            for (const QString& part : parts)
                escaped << vcardEscaped(part);
            appendFolded(out, QStringLiteral("N:") + escaped.join(QLatin1Char(';')));
        }
        if (!card.organisation.isEmpty())
            appendFolded(out, QStringLiteral("ORG:") + vcardEscaped(card.organisation));
        if (!card.jobTitle.isEmpty())
            appendFolded(out, QStringLiteral("TITLE:") + vcardEscaped(card.jobTitle));
        for (const CardAddress& a : card.addresses) {
            const QString street = a.district.isEmpty() ? a.road : a.road + Newline + a.district;
            const QStringList parts = {QString(), a.building, street,   a.town,
                                       a.county,  a.postcode, a.country};
            QStringList escaped;
            for (const QString& part : parts)
                escaped << vcardEscaped(part);
            appendFolded(out, QStringLiteral("ADR:") + escaped.join(QLatin1Char(';')));
        }
        for (const CardNumber& number : card.numbers) {
            static const QHash<int, QString> property = {
                {CardNumber::Telephone, QStringLiteral("TEL;TYPE=voice:")},
                {CardNumber::Mobile, QStringLiteral("TEL;TYPE=cell:")},
                {CardNumber::Fax, QStringLiteral("TEL;TYPE=fax:")},
                {CardNumber::EMail, QStringLiteral("EMAIL:")},
            };
            appendFolded(out, property.value(number.kind) + vcardEscaped(number.text));
        }
        appendFolded(out, QStringLiteral("END:VCARD"));
    }
    return out;
}

} // namespace Finding
