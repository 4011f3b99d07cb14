// SPDX-License-Identifier: GPL-3.0-or-later
// CSV of contacts with a heading row, read and written.
#include "CardText.h"
#include "shared/Messages.h"

#include <QHash>
#include <QStringDecoder>

#include <array>

namespace Finding {

using namespace CardText;

namespace {

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
