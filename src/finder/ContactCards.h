// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Address-book cards as text: vCard 2.1, 3.0 and 4.0 and CSV with a heading
// row read, vCard 4.0 and CSV written. Nothing here touches a file or a
// folder; ContactImport makes folders of the cards, ContactExport cards of
// the folders.
namespace Finding {

// A postal address in the parts that the profile keeps. A vCard's street
// may hold several lines: the first is the road, the others the district.
struct CardAddress
{
    QString building; // the extended address, else the post-office box
    QString road, district, town, county, postcode, country;
    bool isEmpty() const;
    bool operator==(const CardAddress&) const = default;
};

// A telephone number, fax number, mobile number or e-mail address, in the
// kinds of the new-contact panel's type buttons.
struct CardNumber
{
    enum Kind : int
    {
        Telephone = 1,
        Fax = 2,
        Mobile = 3,
        EMail = 4
    };
    QString text;
    Kind kind = Telephone;
    bool operator==(const CardNumber&) const = default;
};

struct ContactCard
{
    int line = 0; // the line of its file where the card or row begins
    QString formattedName;
    QString prefix, given, additional, family, suffix; // the parts of the name
    QString organisation;
    QString jobTitle;
    bool isOrganisation = false; // the card stands for the organisation alone
    QList<CardAddress> addresses;
    QList<CardNumber> numbers; // in the order the card gives them

    // The person's name: the formatted name without a leading title, else
    // the parts (without the title) joined; empty for an organisation's own
    // card.
    QString contactName() const;
    bool operator==(const ContactCard&) const = default;
};

// A card or row that could not be read, by the line where it begins (or
// the line at fault) and why.
struct CardProblem
{
    int line = 0;
    QString why;
    bool operator==(const CardProblem&) const = default;
};

struct CardsRead
{
    QList<ContactCard> cards;
    QList<CardProblem> problems;
};

// The cards of a vCard file (several cards a file; folded lines, escapes,
// parameters, 2.1's CHARSET and QUOTED-PRINTABLE). A value with no charset
// is UTF-8 when it is valid UTF-8, else Windows-1252.
CardsRead readVCards(const QByteArray& bytes);
// The rows of a CSV file with a heading row, by the column names that
// address books export (see CsvCards.cpp). The separator is the one of
// comma, semicolon and tab that the heading holds most of. The file is
// UTF-8 (with or without its mark), UTF-16 with its mark, else
// Windows-1252.
CardsRead readCsvCards(const QByteArray& bytes);
// Either, by what the file holds: a file whose first text is BEGIN:VCARD is
// vCard, any other CSV.
CardsRead readCards(const QByteArray& bytes);

// vCard 4.0 text (CR LF line ends, lines folded at 75 octets).
QString writeVCards(const QList<ContactCard>& cards);
// CSV with a heading row that readCsvCards reads back: one column a name
// part, address part and number, as many number columns of each kind as
// the card with the most of them needs.
QString writeCsvCards(const QList<ContactCard>& cards);

} // namespace Finding
