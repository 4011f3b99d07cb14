// SPDX-License-Identifier: GPL-3.0-or-later
#include "People.h"

#include "Words.h"
#include "finder/NewFolders.h"
#include "shared/Messages.h"

namespace Demo {
namespace {

QString word(Random& random, Words::List list)
{
    return QString::fromUtf8(random.pick(list));
}

// Letters only, lower case, for the local part and domain of an address.
QString mailWord(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const QChar base = c.decompositionTag() == QChar::Canonical ? c.decomposition().at(0) : c;
        if (base.isLetterOrNumber() && base.unicode() < 128)
            out += base.toLower();
    }
    return out;
}

const char* const Titles[] = {"Mr", "Mrs", "Ms", "Miss", "Dr", "Prof"};

} // namespace

QString Party::email() const
{
    for (const Number& n : numbers) {
        if (n.kind == Number::EMail)
            return n.number;
    }
    return QString();
}

QString Party::telephone() const
{
    for (const Number& n : numbers) {
        if (n.kind == Number::Telephone)
            return n.number;
    }
    return QString();
}

QString safeFolderName(const QString& name)
{
    return FileOperations::SafeName(name);
}

QString filingName(const QString& name, const QString& ref)
{
    return FileOperations::FolderName(name, ref);
}

PeopleMaker::PeopleMaker(quint64 seed, int people) : m_random(seed), m_left(people) {}

TopFolder PeopleMaker::next()
{
    TopFolder top;
    const int ref = ++m_top;
    top.ref = QString::number(ref);
    // The first folder is a company with people, so that the workspace always
    // has a person in a company to show.
    const bool company = m_top == 1 || !m_random.chance(15);
    if (!company) {
        PersonFolder person;
        person.party = makePerson(nullptr, PrivatePerson);
        person.ref = top.ref;
        person.ordinal = m_people++;
        --m_left;
        top.party = person.party;
        top.folderName = filingName(
            safeFolderName(person.party.surname + QStringLiteral(", ") + person.party.firstName),
            top.ref);
        person.folderName = top.folderName;
        top.people.push_back(std::move(person));
        return top;
    }

    top.party = makeCompany(ref);
    top.folderName = filingName(safeFolderName(top.party.companyName), top.ref);
    // Mostly small firms: one to three people, now and then a larger office
    // or one with nobody on file yet.
    static const int sizes[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 4, 5, 8};
    int count = sizes[m_random.below(int(std::size(sizes)))];
    if (m_top == 1)
        count = std::max(count, 3);
    count = std::min(count, m_left);
    for (int i = 1; i <= count; ++i) {
        PersonFolder person;
        person.party = makePerson(&top.party, PersonInCompany);
        person.ref = top.ref + QLatin1Char('-') + QString::number(i);
        person.folderName = filingName(
            safeFolderName(person.party.surname + QStringLiteral(", ") + person.party.firstName),
            person.ref);
        person.ordinal = m_people++;
        --m_left;
        top.people.push_back(std::move(person));
    }
    return top;
}

PostalAddress PeopleMaker::makeAddress(bool business)
{
    Random& r = m_random;
    const Words::Town& town = r.pick(Words::Towns);
    PostalAddress a;
    if (business ? r.chance(60) : r.chance(15))
        a.building = word(r, Words::BuildingNames);
    a.road = QStringLiteral("%1 %2 %3")
                 .arg(r.between(1, 240))
                 .arg(word(r, Words::StreetNames), word(r, Words::StreetKinds));
    if (r.chance(30))
        a.district = word(r, Words::Localities);
    a.town = QString::fromUtf8(town.name);
    a.county = QString::fromUtf8(town.county);
    // The UK's outward code (area and district) and inward code (sector digit
    // and two of the letters the inward code may use).
    static const char unitLetters[] = "ABDEFGHJLNPQRSTUWXYZ";
    const int letters = int(sizeof unitLetters) - 1;
    a.postcode = QStringLiteral("%1%2 %3%4%5")
                     .arg(QString::fromLatin1(town.postcodeArea))
                     .arg(r.between(1, town.highestDistrict))
                     .arg(r.between(0, 9))
                     .arg(QLatin1Char(unitLetters[r.below(letters)]))
                     .arg(QLatin1Char(unitLetters[r.below(letters)]));
    a.country = QStringLiteral("United Kingdom");
    a.label = business ? QStringLiteral("Office") : QStringLiteral("Home");
    return a;
}

QString PeopleMaker::telephoneIn(const PostalAddress& address)
{
    for (const Words::Town& town : Words::Towns) {
        if (address.town == QString::fromUtf8(town.name))
            return QString::fromLatin1(town.phonePrefix) +
                   QStringLiteral("%1").arg(m_random.below(1000), 3, 10, QLatin1Char('0'));
    }
    return QString();
}

Party PeopleMaker::makeCompany(int ref)
{
    Random& r = m_random;
    Party p;
    p.kind = Company;
    // One top folder in 47 gets a name that a folder cannot carry as it stands.
    static const char* const partnershipSuffixes[] = {"LLP", "Ltd", ""};
    const int style = r.below(6);
    switch (ref % 47 == 5 ? -1 : style) {
    case 0:
        p.companyName = word(r, Words::Surnames) + QStringLiteral(" & ") +
                        word(r, Words::Surnames) + QLatin1Char(' ') +
                        QString::fromLatin1(r.pick(Words::List(partnershipSuffixes)));
        break;
    case 1:
        p.companyName = word(r, Words::Surnames) + QStringLiteral(" & Sons ") +
                        word(r, Words::Trades) +
                        (r.chance(50) ? QStringLiteral(" Ltd") : QString());
        break;
    case -1:
        p.companyName = word(r, Words::AwkwardCompanyNames);
        break;
    default:
        p.companyName = word(r, Words::CompanyStems) + QLatin1Char(' ') + word(r, Words::Trades) +
                        QLatin1Char(' ') + word(r, Words::CompanySuffixes);
        break;
    }
    p.companyName = p.companyName.trimmed();
    p.displayName = p.companyName;
    p.address = makeAddress(true);
    p.address.label = QStringLiteral("Head office");

    const QString domain =
        mailWord(p.companyName.section(QLatin1Char(' '), 0, 1)) + QStringLiteral(".example");
    p.numbers.append(
        {Number::Telephone, QStringLiteral("Main"), QString(), telephoneIn(p.address)});
    if (r.chance(40))
        p.numbers.append({Number::Fax, QStringLiteral("Fax"), QString(), telephoneIn(p.address)});
    p.numbers.append(
        {Number::EMail, QStringLiteral("Office"), QString(),
         (r.chance(50) ? QStringLiteral("info@") : QStringLiteral("office@")) + domain});
    if (r.chance(60))
        p.comments = word(r, Words::Notes);
    // The user-defined fields hold an account code (the one the UD1 index
    // searches), the kind of customer and the year the account opened.
    const QString letters = mailWord(p.companyName).left(3).toUpper();
    p.userDefined[0] = QStringLiteral("%1%2").arg(letters).arg(ref, 4, 10, QLatin1Char('0'));
    p.companyUserDefined[0] = word(r, Words::Sectors);
    p.companyUserDefined[1] = QString::number(r.between(1988, 2024));
    return p;
}

Party PeopleMaker::makePerson(const Party* company, int kind)
{
    Random& r = m_random;
    Party p;
    p.kind = kind;
    p.male = r.chance(50);
    p.firstName = word(r, p.male ? Words::MaleFirstNames : Words::FemaleFirstNames);
    p.surname = word(r, Words::Surnames);
    if (r.chance(6))
        p.title = QString::fromLatin1(r.chance(70) ? Titles[4] : Titles[5]);
    else if (p.male)
        p.title = QString::fromLatin1(Titles[0]);
    else
        p.title = QString::fromLatin1(Titles[1 + r.below(3)]);
    p.fullName = p.firstName + QLatin1Char(' ') + p.surname;
    p.displayName = p.fullName;
    p.dear = r.chance(60) ? p.firstName : p.title + QLatin1Char(' ') + p.surname;
    if (r.chance(25))
        p.notes = word(r, Words::Notes);

    const QString local = mailWord(p.firstName) + QLatin1Char('.') + mailWord(p.surname);
    if (company) {
        p.companyName = company->companyName;
        p.position = word(r, Words::Positions);
        p.address = company->address;
        const QString main = company->telephone();
        p.numbers.append({Number::Telephone, QStringLiteral("Direct line"),
                          r.chance(40) ? QString::number(r.between(200, 499)) : QString(),
                          r.chance(50) ? main : telephoneIn(p.address)});
        const QString domain = company->email().section(QLatin1Char('@'), 1);
        p.numbers.append(
            {Number::EMail, QStringLiteral("Work"), QString(), local + QLatin1Char('@') + domain});
    } else {
        p.address = makeAddress(false);
        p.numbers.append(
            {Number::Telephone, QStringLiteral("Home"), QString(), telephoneIn(p.address)});
        p.numbers.append({Number::EMail, QStringLiteral("Home"), QString(),
                          local + QString::number(r.between(1, 99)) + QLatin1Char('@') +
                              word(r, Words::MailDomains)});
        p.userDefined[0] = QStringLiteral("P%1").arg(r.between(10000, 99999));
    }
    if (r.chance(55))
        p.numbers.append({Number::Telephone, QStringLiteral("Mobile"), QString(),
                          QString::fromLatin1(Words::MobilePrefix) +
                              QStringLiteral("%1").arg(r.below(1000), 3, 10, QLatin1Char('0'))});
    p.userDefined[1] = r.chance(50) ? QStringLiteral("Newsletter") : QString();
    return p;
}

} // namespace Demo
