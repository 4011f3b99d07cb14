// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactCards.h"

#include "platform/Cp1252.h"
#include "shared/Messages.h"

#include <QHash>
#include <QStringDecoder>

#include <optional>

namespace Finding {

namespace {

// String numbers: why a card or row could not be read.
enum : int
{
    NoEnd = 9410,
    NoColon = 9411,
    NoName = 9412,
    UnknownCharset = 9413,
    OutsideCard = 9414,
    UnclosedQuote = 9415,
    NoHeading = 9416,
};

const QChar Newline(QLatin1Char('\n'));

QString joinedNonEmpty(const QStringList& parts, const QString& separator)
{
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    return kept.join(separator);
}

// A text whose charset is not given: UTF-8 when it is valid UTF-8, else
// Windows-1252 (what older address books write).
QString decodeUnlabelled(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return Platform::Cp1252::decode(bytes);
}

// A road and the district lines after it, as a street of several lines.
void setStreet(CardAddress& address, const QStringList& lines)
{
    address.road = lines.value(0).trimmed();
    address.district = joinedNonEmpty(lines.mid(1), QStringLiteral(", "));
}

// ---------------------------------------------------------------- vCard in

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

// A card or row that names nobody and no organisation cannot be made.
void keep(CardsRead& read, const ContactCard& card)
{
    if (card.contactName().isEmpty() && card.organisation.trimmed().isEmpty())
        read.problems << CardProblem{card.line, Global::ResolveRes(NoName)};
    else
        read.cards << card;
}

// ---------------------------------------------------------------- CSV in

// The text of a CSV file.
QString csvText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return utf16.decode(bytes.mid(2));
    }
    return decodeUnlabelled(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

// The separator that the heading line holds most of, outside quotes.
QChar csvSeparator(const QString& text)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == Newline)
            break;
        else if (c == QLatin1Char(','))
            ++commas;
        else if (c == QLatin1Char(';'))
            ++semicolons;
        else if (c == QLatin1Char('\t'))
            ++tabs;
    }
    if (tabs > commas && tabs > semicolons)
        return QLatin1Char('\t');
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

struct CsvRow
{
    int line = 0;
    QStringList fields;
};

// The rows of CSV text (quoted fields may hold separators, doubled quotes
// and line ends); an unclosed quote ends the text with a problem.
QList<CsvRow> csvRows(const QString& text, QChar separator, QList<CardProblem>& problems)
{
    QList<CsvRow> rows;
    CsvRow row{1, {}};
    QString field;
    bool quoted = false;
    int line = 1;
    int quoteLine = 0;
    const auto endRow = [&] {
        row.fields << field;
        field.clear();
        if (row.fields.size() > 1 || !row.fields[0].trimmed().isEmpty())
            rows << row;
        row = CsvRow{line, {}};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                    field += text[++i];
                else
                    quoted = false;
            } else {
                if (c == Newline)
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            quoteLine = line;
        } else if (c == separator) {
            row.fields << field;
            field.clear();
        } else if (c == Newline) {
            ++line;
            endRow();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (quoted) {
        problems << CardProblem{quoteLine, Global::ResolveRes(UnclosedQuote)};
        return rows;
    }
    endRow();
    return rows;
}

// What a column of the heading holds.
struct Column
{
    enum Role
    {
        Ignored,
        FormattedName,
        Prefix,
        Given,
        Additional,
        Family,
        Suffix,
        Organisation,
        JobTitle,
        Number,
        NumberType, // a number's kind, in a column of its own ("Phone 1 - Type")
        Building,
        Street1,
        Street2,
        Street3,
        District,
        Town,
        County,
        Postcode,
        Country,
    };
    Role role = Ignored;
    CardNumber::Kind kind = CardNumber::Telephone;
    // The address the part belongs to ("business", "home"), or the number
    // that a number and its type column share ("phone1").
    QString group;
};

// A heading's letters and digits in lower case: "E-mail 2 Address" gives
// "email2address".
QString headingKey(const QString& heading)
{
    QString key;
    for (const QChar c : heading) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key;
}

Column column(const QString& heading)
{
    const QString key = headingKey(heading);
    static const QHash<QString, Column::Role> names = {
        {QStringLiteral("name"), Column::FormattedName},
        {QStringLiteral("fullname"), Column::FormattedName},
        {QStringLiteral("displayname"), Column::FormattedName},
        {QStringLiteral("contactname"), Column::FormattedName},
        {QStringLiteral("title"), Column::Prefix},
        {QStringLiteral("prefix"), Column::Prefix},
        {QStringLiteral("nameprefix"), Column::Prefix},
        {QStringLiteral("firstname"), Column::Given},
        {QStringLiteral("givenname"), Column::Given},
        {QStringLiteral("middlename"), Column::Additional},
        {QStringLiteral("additionalname"), Column::Additional},
        {QStringLiteral("lastname"), Column::Family},
        {QStringLiteral("familyname"), Column::Family},
        {QStringLiteral("surname"), Column::Family},
        {QStringLiteral("suffix"), Column::Suffix},
        {QStringLiteral("namesuffix"), Column::Suffix},
        {QStringLiteral("company"), Column::Organisation},
        {QStringLiteral("companyname"), Column::Organisation},
        {QStringLiteral("organisation"), Column::Organisation},
        {QStringLiteral("organization"), Column::Organisation},
        {QStringLiteral("organization1name"), Column::Organisation},
        {QStringLiteral("jobtitle"), Column::JobTitle},
        {QStringLiteral("position"), Column::JobTitle},
        {QStringLiteral("organization1title"), Column::JobTitle},
    };
    if (const auto found = names.constFind(key); found != names.constEnd())
        return {*found, CardNumber::Telephone, {}};

    // A number's label or shown name is no number; its type says its kind.
    const auto numberColumn = [&](CardNumber::Kind kind) -> Column {
        for (const char* other : {"displayname", "label"}) {
            if (key.contains(QLatin1String(other)))
                return {};
        }
        for (const auto& [ending, role] :
             {std::pair{"type", Column::NumberType}, std::pair{"value", Column::Number}}) {
            if (key.endsWith(QLatin1String(ending)))
                return {role, kind, key.chopped(qsizetype(qstrlen(ending)))};
        }
        return {Column::Number, kind, {}};
    };
    if (key.contains(QLatin1String("mail")))
        return numberColumn(CardNumber::EMail);
    if (key.contains(QLatin1String("fax")))
        return numberColumn(CardNumber::Fax);
    if (key.contains(QLatin1String("mobile")) || key.contains(QLatin1String("cell")))
        return numberColumn(CardNumber::Mobile);
    if (key.contains(QLatin1String("phone")))
        return numberColumn(CardNumber::Telephone);

    // Address parts, by how the heading ends; what comes before names the
    // address ("Business Street", "Home City", "Address 1 - Postal Code").
    static const std::pair<const char*, Column::Role> parts[] = {
        {"postalcode", Column::Postcode},
        {"postcode", Column::Postcode},
        {"zipcode", Column::Postcode},
        {"zip", Column::Postcode},
        {"countryregion", Column::Country},
        {"country", Column::Country},
        {"city", Column::Town},
        {"town", Column::Town},
        {"locality", Column::Town},
        {"state", Column::County},
        {"county", Column::County},
        {"region", Column::County},
        {"province", Column::County},
        {"pobox", Column::Building},
        {"extendedaddress", Column::Building},
        {"building", Column::Building},
        {"district", Column::District},
        {"street3", Column::Street3},
        {"address3", Column::Street3},
        {"street2", Column::Street2},
        {"address2", Column::Street2},
        {"streetaddress", Column::Street1},
        {"street1", Column::Street1},
        {"address1", Column::Street1},
        {"street", Column::Street1},
        {"address", Column::Street1},
    };
    for (const auto& [ending, role] : parts) {
        if (key.endsWith(QLatin1String(ending)))
            return {role, CardNumber::Telephone, key.chopped(qsizetype(qstrlen(ending)))};
    }
    return {};
}

// A row of cells under the heading's columns as a card.
ContactCard rowCard(const CsvRow& row, const QList<Column>& columns)
{
    ContactCard card;
    card.line = row.line;
    QStringList groups;
    QList<std::array<QString, 3>> streets;
    QList<CardAddress> addresses;
    // The kinds that type columns give their numbers.
    QHash<QString, CardNumber::Kind> kinds;
    for (qsizetype i = 0; i < columns.size() && i < row.fields.size(); ++i) {
        if (columns[i].role != Column::NumberType || columns[i].kind == CardNumber::EMail)
            continue;
        const QString type = row.fields[i].toLower();
        if (type.contains(QLatin1String("fax")))
            kinds.insert(columns[i].group, CardNumber::Fax);
        else if (type.contains(QLatin1String("mobile")) || type.contains(QLatin1String("cell")))
            kinds.insert(columns[i].group, CardNumber::Mobile);
    }
    for (qsizetype i = 0; i < columns.size() && i < row.fields.size(); ++i) {
        const Column& c = columns[i];
        const QString cell = row.fields[i].trimmed();
        if (cell.isEmpty() || c.role == Column::Ignored)
            continue;
        switch (c.role) {
        case Column::FormattedName:
            card.formattedName = cell;
            continue;
        case Column::Prefix:
            card.prefix = cell;
            continue;
        case Column::Given:
            card.given = cell;
            continue;
        case Column::Additional:
            card.additional = cell;
            continue;
        case Column::Family:
            card.family = cell;
            continue;
        case Column::Suffix:
            card.suffix = cell;
            continue;
        case Column::Organisation:
            card.organisation = cell;
            continue;
        case Column::JobTitle:
            card.jobTitle = cell;
            continue;
        case Column::Number:
            card.numbers << CardNumber{cell,
                                       c.group.isEmpty() ? c.kind : kinds.value(c.group, c.kind)};
            continue;
        case Column::NumberType:
            continue;
        default:
            break;
        }
        qsizetype at = groups.indexOf(c.group);
        if (at < 0) {
            groups << c.group;
            streets.append(std::array<QString, 3>{});
            addresses.append(CardAddress{});
            at = groups.size() - 1;
        }
        CardAddress& address = addresses[at];
        switch (c.role) {
        case Column::Building:
            if (address.building.isEmpty())
                address.building = cell;
            break;
        case Column::Street1:
        case Column::Street2:
        case Column::Street3:
            streets[at][std::size_t(c.role - Column::Street1)] = cell;
            break;
        case Column::District:
            address.district = cell;
            break;
        case Column::Town:
            address.town = cell;
            break;
        case Column::County:
            address.county = cell;
            break;
        case Column::Postcode:
            address.postcode = cell;
            break;
        case Column::Country:
            address.country = cell;
            break;
        default:
            break;
        }
    }
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        CardAddress& address = addresses[i];
        const QString district = address.district;
        // A street given in one cell of several lines is lines as well.
        QStringList lines = streets[i][0].split(Newline);
        lines << streets[i][1] << streets[i][2] << district;
        setStreet(address, lines);
        if (!address.isEmpty())
            card.addresses << address;
    }
    return card;
}

// ---------------------------------------------------------------- out

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

QString csvField(const QString& text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(Newline) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

bool CardAddress::isEmpty() const
{
    return building.isEmpty() && road.isEmpty() && district.isEmpty() && town.isEmpty() &&
           county.isEmpty() && postcode.isEmpty() && country.isEmpty();
}

QString ContactCard::contactName() const
{
    const bool namedByParts = !(given + additional + family).trimmed().isEmpty();
    // Address books write an organisation's own card with its name as the
    // formatted name and no name parts.
    if (isOrganisation ||
        (!namedByParts && !organisation.isEmpty() && formattedName == organisation))
        return {};
    if (!formattedName.trimmed().isEmpty())
        return formattedName.trimmed();
    return joinedNonEmpty({given, additional, family, suffix}, QStringLiteral(" "));
}

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

CardsRead readCsvCards(const QByteArray& bytes)
{
    CardsRead read;
    const QString text = csvText(bytes);
    const QList<CsvRow> rows = csvRows(text, csvSeparator(text), read.problems);
    QList<Column> columns;
    if (!rows.isEmpty()) {
        for (const QString& heading : rows[0].fields)
            columns << column(heading);
    }
    const bool named = std::any_of(columns.begin(), columns.end(), [](const Column& c) {
        return c.role >= Column::FormattedName && c.role <= Column::Organisation;
    });
    if (!named) {
        read.problems.prepend(CardProblem{1, Global::ResolveRes(NoHeading)});
        return read;
    }
    for (qsizetype i = 1; i < rows.size(); ++i)
        keep(read, rowCard(rows[i], columns));
    return read;
}

CardsRead readCards(const QByteArray& bytes)
{
    const QByteArray start = bytes.left(256).trimmed().toUpper();
    const bool vcard = start.startsWith("BEGIN:VCARD") || start.startsWith("\xEF\xBB\xBF"
                                                                           "BEGIN:VCARD");
    return vcard ? readVCards(bytes) : readCsvCards(bytes);
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

QString writeCsvCards(const QList<ContactCard>& cards)
{
    const QChar separator = QLatin1Char(',');
    // The most addresses and numbers of each kind that a card has.
    qsizetype addresses = 0;
    QHash<int, qsizetype> numbers;
    for (const ContactCard& card : cards) {
        addresses = std::max(addresses, card.addresses.size());
        QHash<int, qsizetype> counts;
        for (const CardNumber& number : card.numbers)
            numbers[number.kind] = std::max(numbers[number.kind], ++counts[number.kind]);
    }
    static const QStringList nameHeadings = {
        QStringLiteral("Title"),     QStringLiteral("First Name"), QStringLiteral("Middle Name"),
        QStringLiteral("Last Name"), QStringLiteral("Suffix"),     QStringLiteral("Name"),
        QStringLiteral("Company"),   QStringLiteral("Job Title")};
    static const QStringList addressHeadings = {
        QStringLiteral("Building"), QStringLiteral("Street"), QStringLiteral("District"),
        QStringLiteral("Town"),     QStringLiteral("County"), QStringLiteral("Postcode"),
        QStringLiteral("Country")};
    static const std::pair<CardNumber::Kind, QString> kinds[] = {
        {CardNumber::Telephone, QStringLiteral("Telephone")},
        {CardNumber::Mobile, QStringLiteral("Mobile")},
        {CardNumber::Fax, QStringLiteral("Fax")},
        {CardNumber::EMail, QStringLiteral("E-mail")},
    };

    QStringList headings = nameHeadings;
    for (qsizetype a = 0; a < addresses; ++a) {
        for (const QString& part : addressHeadings)
            headings << (a == 0 ? part : QStringLiteral("Address %1 %2").arg(a + 1).arg(part));
    }
    for (const auto& [kind, heading] : kinds) {
        for (qsizetype n = 0; n < numbers.value(kind); ++n)
            headings << (n == 0 ? heading : QStringLiteral("%1 %2").arg(heading).arg(n + 1));
    }

    QString out;
    const auto appendRow = [&](const QStringList& cells) {
        QStringList fields;
        for (const QString& cell : cells)
            fields << csvField(cell, separator);
        out += fields.join(separator) + QStringLiteral("\r\n");
    };
    appendRow(headings);
    for (const ContactCard& card : cards) {
        QStringList cells = {card.prefix, card.given,         card.additional,   card.family,
                             card.suffix, card.contactName(), card.organisation, card.jobTitle};
        for (qsizetype a = 0; a < addresses; ++a) {
            const CardAddress address = card.addresses.value(a);
            cells << address.building << address.road << address.district << address.town
                  << address.county << address.postcode << address.country;
        }
        for (const auto& [kind, heading] : kinds) {
            QStringList texts;
            for (const CardNumber& number : card.numbers) {
                if (number.kind == kind)
                    texts << number.text;
            }
            for (qsizetype n = 0; n < numbers.value(kind); ++n)
                cells << texts.value(n);
        }
        appendRow(cells);
    }
    return out;
}

} // namespace Finding
