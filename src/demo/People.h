// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Random.h"

#include <QList>
#include <QString>

#include <array>
#include <vector>

namespace Demo {

// Folder kinds as the demo gives them: a company holds its people; a person
// of no company sits at the top of the filing tree; folders that only hold
// other folders are never indexed.
enum FolderKind : int
{
    PersonInCompany = 2,
    Company = 3,
    PrivatePerson = 4,
    NotIndexed = 5
};

struct PostalAddress
{
    QString building, road, district, town, county, postcode, country, label;
};

struct Number
{
    enum Kind
    {
        Telephone,
        Fax,
        EMail
    };
    Kind kind = Telephone;
    QString label; // "Main", "Direct line", "Mobile", "Office", ...
    QString extension;
    QString number;
};

// Everything a demo profile holds, company or person.
struct Party
{
    int kind = 0;
    QString displayName;
    // A person.
    QString title, firstName, surname, fullName, position, dear, notes;
    bool male = false;
    // A company (and the company a person works for).
    QString companyName, comments;
    std::array<QString, 5> userDefined;
    std::array<QString, 5> companyUserDefined;
    PostalAddress address;
    QList<Number> numbers;

    QString email() const;
    QString telephone() const;
};

struct PersonFolder
{
    Party party;
    QString ref;        // "12-3", or "40" for a private person
    QString folderName; // "Smith, John [12-3]"
    int ordinal = 0;    // counts the people of the workspace from 0
};

// A folder at the top of the filing tree: a company with its people, or a
// private person (then `people` holds that one person and `party` is theirs).
struct TopFolder
{
    Party party;
    QString ref;
    QString folderName;
    std::vector<PersonFolder> people;
    bool isCompany() const { return party.kind == Company; }
};

// Makes the filing tree's people and companies one top folder at a time, so
// that a large workspace is never held whole in memory.
class PeopleMaker
{
public:
    PeopleMaker(quint64 seed, int people);

    bool atEnd() const { return m_left == 0; }
    TopFolder next();
    // How many top folders have been made, which is the last top reference.
    int topFolders() const { return m_top; }

private:
    Party makeCompany(int ref);
    Party makePerson(const Party* company, int kind);
    PostalAddress makeAddress(bool business);
    QString telephoneIn(const PostalAddress& address);

    Random m_random;
    int m_left;
    int m_top = 0;
    int m_people = 0;
};

// A name made fit for a folder: each character a file name cannot hold is
// replaced by the one the suite puts in its place.
QString safeFolderName(const QString& name);
// "Name [ref]" (just "[ref]" for an empty name).
QString filingName(const QString& name, const QString& ref);

} // namespace Demo
