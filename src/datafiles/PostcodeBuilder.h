// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes a postcode address file (layout in PostcodeFile.h) from addresses
// that a user holds, since the national files are licensed and not shipped.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <array>
#include <stdexcept>
#include <vector>

namespace Routines_RADs {

// One address as it goes into the file.
struct PostcodeAddress
{
    QString postcode;
    // Premises (flat, unit), building, road, district, town, county.
    std::array<QString, 6> lines;
    QString company;
};

struct PostcodeFileOptions
{
    // The users allowed to use the file; none: everybody may.
    QStringList users;
    QString title, source, edition;
};

// Collects addresses (kept compactly as the file's bytes) and writes the
// file. Words of at least three characters that occur more than once go into
// the word dictionary, those that save most first, up to the 32,768 it can
// hold; a word with a character beyond ASCII always goes there, since the
// address lines cannot hold such a character themselves.
class PostcodeFileBuilder
{
public:
    // The longest text of one field.
    static constexpr int MaxFieldLength = 100;
    // The longest postcode, in the file's form.
    static constexpr int MaxPostcodeLength = 10;

    // Adds an address with its postcode put in the file's form and each
    // field's characters that Windows-1252 lacks in Latin letters
    // (Platform::Cp1252::transliterate); an empty text, or why the address
    // cannot go in the file (nothing is added then): also a character that
    // has no Latin form.
    QString add(const PostcodeAddress& address);
    qsizetype addresses() const { return m_rows.size(); }
    // The fields of the addresses added whose text was put in Latin letters.
    qsizetype transliteratedFields() const { return m_transliterated; }

    // What the last build put in the file.
    struct Counts
    {
        int addresses = 0, postcodes = 0, words = 0;
    };

    // The whole file. Throws PostcodeBuildError.
    QByteArray build(const PostcodeFileOptions& options, Counts* counts = nullptr) const;

private:
    // Each address: its postcode and seven fields, each followed by byte 0.
    QByteArray m_store;
    std::vector<quint32> m_rows;
    qsizetype m_transliterated = 0;
};

class PostcodeBuildError : public std::runtime_error
{
public:
    explicit PostcodeBuildError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Reads addresses from CSV into `builder`: one address a row, its fields
// postcode, six address lines (premises, building, road, district, town,
// county) and company; fields separated by commas, a field in double quotes
// may hold commas and line ends and writes a double quote as two. Missing
// fields at the end of a row are empty. A first row whose first field is
// "postcode" (any case) is a heading, and rows with nothing in them are
// passed over. Text is UTF-8, or Windows-1252 where it is not valid UTF-8.
// Gives one problem for each row that cannot be read, naming its line.
QStringList readPostcodeCsv(QIODevice& input, PostcodeFileBuilder& builder);

} // namespace Routines_RADs
