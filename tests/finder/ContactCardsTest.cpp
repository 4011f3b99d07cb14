// SPDX-License-Identifier: GPL-3.0-or-later
// Address-book cards read from vCard and CSV text in the styles that address
// books write, and written back.
#include "finder/ContactCards.h"

#include "TestSettings.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace Finding;

namespace {

QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

ContactCard person()
{
    ContactCard card;
    card.formattedName = QStringLiteral("Jürgen Müller");
    card.prefix = QStringLiteral("Dr (M)");
    card.given = QStringLiteral("Jürgen");
    card.family = QStringLiteral("Müller");
    card.organisation = QStringLiteral("Acme; Sons, and \\ Co");
    card.jobTitle = QStringLiteral("Buyer");
    card.addresses = {{QStringLiteral("Unit 4"), QStringLiteral("Mill Road"),
                       QStringLiteral("Hunslet"), QStringLiteral("Leeds"),
                       QStringLiteral("West Yorkshire"), QStringLiteral("LS1 0NG"),
                       QStringLiteral("United Kingdom")}};
    card.numbers = {{QStringLiteral("0113 496 0000"), CardNumber::Telephone},
                    {QStringLiteral("07700 900123"), CardNumber::Mobile},
                    {QStringLiteral("0113 496 0001"), CardNumber::Fax},
                    {QStringLiteral("jm@acme.example"), CardNumber::EMail}};
    return card;
}

class ContactCards : public testing::Test
{
protected:
    Testing::TestSettings settings; // the string table's texts
};

} // namespace

// The same person as three address books write them: 2.1 with its charset
// and quoted-printable (a soft line break inside the street), 3.0 with
// folded lines, escapes and grouped properties, 4.0 with quoted parameters
// and URIs.
TEST_F(ContactCards, VCardsOfEveryVersionGiveTheSamePerson)
{
    const QByteArray v21 =
        crlf("BEGIN:VCARD\n"
             "VERSION:2.1\n"
             "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen;;Dr (M)\n"
             "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:J=FCrgen M=FCller\n"
             "ORG:Acme\\; Sons, and \\ Co;Buying\n"
             "TITLE:Buyer\n"
             "TEL;WORK;VOICE:0113 496 0000\n"
             "TEL;CELL:07700 900123\n"
             "TEL;WORK;FAX:0113 496 0001\n"
             "ADR;WORK;ENCODING=QUOTED-PRINTABLE:;Unit 4;Mill Road=0D=0A=\n"
             "Hunslet;Leeds;West Yorkshire;LS1 0NG;United Kingdom\n"
             "EMAIL;PREF;INTERNET:jm@acme.example\n"
             "END:VCARD\n");
    const QByteArray v30 =
        crlf("BEGIN:VCARD\n"
             "VERSION:3.0\n"
             "N:Müller;Jürgen;;Dr (M);\n"
             "FN:Jürgen\n"
             "  Müller\n"
             "ORG:Acme\\; Sons\\, and \\\\ Co;Buying\n"
             "TITLE:Buyer\n"
             "item1.TEL;TYPE=WORK,VOICE:0113 496 0000\n"
             "TEL;TYPE=CELL:07700 900123\n"
             "TEL;TYPE=WORK;TYPE=FAX:0113 496 0001\n"
             "item2.ADR;TYPE=WORK:;Unit 4;Mill Road\\nHunslet;Leeds;West Yorkshire;LS1 \n"
             " 0NG;United Kingdom\n"
             "item2.X-ABLabel:work\n"
             "EMAIL;TYPE=INTERNET:jm@acme.example\n"
             "END:VCARD\n");
    const QByteArray v40 = crlf(
        "BEGIN:VCARD\n"
        "VERSION:4.0\n"
        "FN:Jürgen Müller\n"
        "N:Müller;Jürgen;;Dr (M);\n"
        "ORG:Acme\\; Sons\\, and \\\\ Co\n"
        "TITLE:Buyer\n"
        "TEL;VALUE=uri;TYPE=\"work,voice\":tel:0113 496 0000\n"
        "TEL;VALUE=uri;TYPE=cell:tel:07700 900123\n"
        "TEL;TYPE=fax:0113 496 0001\n"
        "ADR;LABEL=\"Unit 4: Mill Road\";TYPE=work:;Unit 4;Mill Road\\nHunslet;Leeds;West Yorks\n"
        " hire;LS1 0NG;United Kingdom\n"
        "EMAIL;PREF=1:mailto:jm@acme.example\n"
        "END:VCARD\n");
    ContactCard expected = person();
    expected.line = 1;
    for (const auto& [version, bytes] :
         {std::pair{"2.1", v21}, std::pair{"3.0", v30}, std::pair{"4.0", v40}}) {
        const CardsRead read = readCards(bytes);
        EXPECT_TRUE(read.problems.isEmpty()) << version;
        ASSERT_EQ(read.cards.size(), 1) << version;
        EXPECT_EQ(read.cards[0], expected) << version;
        EXPECT_EQ(read.cards[0].contactName(), QStringLiteral("Jürgen Müller")) << version;
    }
}

// A card that cannot be read is named by its line; the cards around it are
// read all the same.
TEST_F(ContactCards, ACardThatCannotBeReadIsNamedAndTheOthersGoOn)
{
    const QByteArray bytes = crlf("garbage before\n"
                                  "more garbage\n"
                                  "BEGIN:VCARD\n"
                                  "FN:Ann Bell\n"
                                  "END:VCARD\n"
                                  "BEGIN:VCARD\n"
                                  "FN:No Colon\n"
                                  "TEL 0113\n"
                                  "END:VCARD\n"
                                  "BEGIN:VCARD\n"
                                  "FN;CHARSET=X-NOWHERE:Odd\n"
                                  "END:VCARD\n"
                                  "BEGIN:VCARD\n"
                                  "NOTE:nobody\n"
                                  "END:VCARD\n"
                                  "BEGIN:VCARD\n"
                                  "FN:Unended\n"
                                  "BEGIN:VCARD\n"
                                  "FN:Cy Dee\n"
                                  "END:VCARD\n"
                                  "BEGIN:VCARD\n"
                                  "FN:Cut Short\n");
    const CardsRead read = readVCards(bytes);
    QStringList names;
    for (const ContactCard& card : read.cards)
        names << QStringLiteral("%1 %2").arg(card.line).arg(card.contactName());
    EXPECT_EQ(names, (QStringList{QStringLiteral("3 Ann Bell"), QStringLiteral("18 Cy Dee")}));
    const QList<CardProblem> expected = {
        {1, QStringLiteral("text outside a card: garbage before")},
        {8, QStringLiteral("a line of the card has no colon")},
        {11, QStringLiteral("the character set \"X-NOWHERE\" is not known")},
        {13, QStringLiteral("it gives neither a name nor an organisation")},
        {16, QStringLiteral("the card has no END:VCARD line")},
        {21, QStringLiteral("the card has no END:VCARD line")},
    };
    EXPECT_EQ(read.problems, expected);
}

TEST_F(ContactCards, NamesAndOrganisations)
{
    const struct
    {
        const char* card;
        const char* name;
        const char* organisation;
    } cases[] = {
        {"N:Bell;Ann;Jo;Ms;Jr", "Ann Jo Bell Jr", ""},
        {"FN:Acme Ltd\nORG:Acme Ltd", "", "Acme Ltd"}, // an organisation's own card
        {"KIND:org\nFN:Acme\nORG:Acme Ltd", "", "Acme Ltd"},
        {"X-ABShowAs:COMPANY\nN:Bell;Ann\nORG:Acme", "", "Acme"},
        {"FN:Acme Ltd\nN:Ltd;Acme\nORG:Acme Ltd", "Acme Ltd", "Acme Ltd"},
        // The title stands in a field of its own, not in the name.
        {"FN:Dr Ngozi Okafor\nN:Okafor;Ngozi;;Dr;", "Ngozi Okafor", ""},
        {"FN:dr. Ngozi Okafor\nN:Okafor;Ngozi;;Dr.;", "Ngozi Okafor", ""},
        {"FN:Drew Okafor\nN:Okafor;Drew;;Dr;", "Drew Okafor", ""},
        // Unlabelled bytes that are not UTF-8 are Windows-1252.
        {"FN:Zo\xEB \x80uro", "Zoë €uro", ""},
    };
    for (const auto& c : cases) {
        const CardsRead read =
            readVCards(crlf("BEGIN:VCARD\nVERSION:3.0\n") + crlf(c.card) + crlf("\nEND:VCARD\n"));
        ASSERT_EQ(read.cards.size(), 1) << c.card;
        EXPECT_EQ(read.cards[0].contactName(), QString::fromUtf8(c.name)) << c.card;
        EXPECT_EQ(read.cards[0].organisation, QString::fromUtf8(c.organisation)) << c.card;
    }
}

// The headings of three address books' CSV exports, each with a quoted
// field that holds the separator, a doubled quote and a line break.
TEST_F(ContactCards, CsvOfCommonAddressBooks)
{
    const QByteArray outlook =
        "Title,First Name,Middle Name,Last Name,Company,Job Title,Business Street,"
        "Business Street 2,Business City,Business State,Business Postal Code,"
        "Business Country/Region,Home Street,Home City,Business Phone,Mobile Phone,Business Fax,"
        "E-mail Address,E-mail Type,E-mail Display Name\r\n"
        "Dr (M),J\xC3\xBCrgen,,M\xC3\xBCller,\"Acme; Sons, and \\ Co\",Buyer,\"Mill "
        "Road\nHunslet\",,Leeds,West Yorkshire,LS1 0NG,United Kingdom,1 Elm Way,York,0113 496 "
        "0000,07700 900123,0113 496 0001,jm@acme.example,SMTP,\"J\xC3\xBCrgen \"\"JM\"\"\"\r\n";
    const QByteArray google =
        "Name,Given Name,Family Name,Name Prefix,Organization 1 - Name,Organization 1 - Title,"
        "Address 1 - Extended Address,Address 1 - Street,Address 1 - City,Address 1 - Region,"
        "Address 1 - Postal Code,Address 1 - Country,Phone 1 - Type,Phone 1 - Value,"
        "Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,Phone 3 - Value,E-mail 1 - Type,"
        "E-mail 1 - Value\n"
        "J\xC3\xBCrgen M\xC3\xBCller,J\xC3\xBCrgen,M\xC3\xBCller,Dr (M),\"Acme; Sons, and \\ "
        "Co\",Buyer,Unit 4,\"Mill Road\nHunslet\",Leeds,West Yorkshire,LS1 0NG,United "
        "Kingdom,Work,0113 496 0000,Mobile,07700 900123,Work Fax,0113 496 0001,* Work,"
        "jm@acme.example\n";
    // Semicolons, in Windows-1252, as a spreadsheet saves it.
    const QByteArray spreadsheet =
        "Title;Full name;First name;Last name;Organisation;Position;Building;Street;District;"
        "Town;County;Postcode;Country;Telephone;Mobile;Fax;Email\r\n"
        "Dr (M);J\xFCrgen M\xFCller;J\xFCrgen;M\xFCller;\"Acme; Sons, and \\ Co\";Buyer;Unit 4;"
        "Mill Road;Hunslet;Leeds;West Yorkshire;LS1 0NG;United Kingdom;0113 496 0000;07700 "
        "900123;0113 496 0001;jm@acme.example\r\n"
        "\r\n";
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray spreadsheetUtf16 = utf16.encode(QString::fromLatin1(spreadsheet));

    ContactCard expected = person();
    expected.line = 2;
    for (const auto& [style, bytes] :
         {std::pair{"outlook", outlook}, std::pair{"google", google},
          std::pair{"spreadsheet", spreadsheet}, std::pair{"utf-16", spreadsheetUtf16}}) {
        const CardsRead read = readCards(bytes);
        EXPECT_TRUE(read.problems.isEmpty()) << style;
        ASSERT_EQ(read.cards.size(), 1) << style;
        ContactCard got = read.cards[0];
        if (QLatin1String(style) == QLatin1String("outlook")) {
            // The home address comes second; there is no building column;
            // the name is made of its parts.
            ASSERT_EQ(got.addresses.size(), 2);
            EXPECT_EQ(got.addresses[1].road, QStringLiteral("1 Elm Way"));
            EXPECT_EQ(got.addresses[1].town, QStringLiteral("York"));
            got.addresses.removeLast();
            got.addresses[0].building = expected.addresses[0].building;
            EXPECT_EQ(got.formattedName, QString());
            got.formattedName = expected.formattedName;
        }
        EXPECT_EQ(got, expected) << style;
    }
}

TEST_F(ContactCards, CsvThatCannotBeRead)
{
    const struct
    {
        const char* csv;
        int cards;
        CardProblem problem;
    } cases[] = {
        {"Colour,Size\nred,9\n",
         0,
         {1, QStringLiteral("the heading row names no name, company or organisation column: the "
                            "file is neither vCard nor CSV of contacts")}},
        {"Name,Notes\nAnn,fine\n\nBob,\"never\nclosed\n",
         1,
         {4, QStringLiteral("a quoted field is not closed")}},
        {"Name,Company,Phone\nAnn,,1\n,,2\n",
         1,
         {3, QStringLiteral("it gives neither a name nor an organisation")}},
    };
    for (const auto& c : cases) {
        const CardsRead read = readCsvCards(c.csv);
        EXPECT_EQ(read.cards.size(), c.cards) << c.csv;
        EXPECT_EQ(read.problems, QList<CardProblem>{c.problem}) << c.csv;
    }
}

// What is written is read back as it was: escapes, several addresses and
// numbers of a kind, an organisation's own card; vCard lines are folded at
// 75 octets without splitting a character.
TEST_F(ContactCards, WrittenCardsReadBackTheSame)
{
    ContactCard first = person();
    first.line = 1;
    first.addresses.append({QString(), QStringLiteral("1 Elm Way"), QString(),
                            QStringLiteral("York"), QString(), QString(), QString()});
    first.numbers.append({QStringLiteral("0113 496 0002"), CardNumber::Telephone});
    first.jobTitle = QString(40, QChar(0x20AC)) + QStringLiteral(" and \U0001F642 buyer");
    ContactCard company;
    company.isOrganisation = true;
    company.organisation = QStringLiteral("Acme Ltd");
    const QList<ContactCard> cards = {first, company};

    const QString vcards = writeVCards(cards);
    for (const QString& line : vcards.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.toUtf8().size(), 75) << line.toStdString();
    CardsRead read = readVCards(vcards.toUtf8());
    EXPECT_TRUE(read.problems.isEmpty());
    ASSERT_EQ(read.cards.size(), 2);
    EXPECT_EQ(read.cards[0], first);
    EXPECT_TRUE(read.cards[1].isOrganisation);
    EXPECT_EQ(read.cards[1].organisation, company.organisation);
    EXPECT_EQ(read.cards[1].contactName(), QString());

    read = readCsvCards(writeCsvCards(cards).toUtf8());
    EXPECT_TRUE(read.problems.isEmpty());
    ASSERT_EQ(read.cards.size(), 2);
    ContactCard csvFirst = first;
    csvFirst.line = 2;
    // CSV keeps the numbers by kind: telephones, mobiles, faxes, e-mails.
    csvFirst.numbers = {first.numbers[0], first.numbers[4], first.numbers[1], first.numbers[2],
                        first.numbers[3]};
    EXPECT_EQ(read.cards[0], csvFirst);
    EXPECT_EQ(read.cards[1].organisation, company.organisation);
    EXPECT_EQ(read.cards[1].contactName(), QString());
}
