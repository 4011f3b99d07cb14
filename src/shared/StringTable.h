// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace Global {

// The numbered texts of the program, compiled in from resources/strings.txt:
// one string a line, its number, a TAB and its text, with the escapes \r \n
// \t \0 \\ and \xHH; blank lines and lines starting with "#" are skipped.
class StringTable
{
public:
    // The program's own table, parsed on first use.
    static const StringTable& instance();

    // Parses table text; every line that cannot be read is described in
    // `errors` ("line 12: ...") and left out.
    static StringTable parse(QByteArrayView utf8, QStringList* errors = nullptr);

    std::optional<QString> text(int number) const;
    // Throws RunTimeError (resource not found) when the table lacks it.
    QString require(int number) const;
    QList<int> numbers() const;

private:
    QHash<int, QString> m_texts;
};

} // namespace Global
