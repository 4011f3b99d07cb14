// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Global {

// The numbered texts of the program, compiled in from resources/strings.txt:
// one string a line, its number, a TAB and its text, with the escapes \r \n
// \t \0 \\ and \xHH; blank lines and lines starting with "#" are skipped.
class StringTable
{
public:
    // The program's own table. Every start of the program reads it, so only
    // where each line starts is noted; a text is read from its line when it
    // is asked for. (A test checks that every line of it reads.)
    static const StringTable& instance();

    // Parses table text; every line that cannot be read is described in
    // `errors` ("line 12: ...") and left out.
    static StringTable parse(QByteArrayView utf8, QStringList* errors = nullptr);

    std::optional<QString> text(int number) const;
    // Throws RunTimeError (resource not found) when the table lacks it.
    QString require(int number) const;
    QList<int> numbers() const;

private:
    // A text's escaped form in m_source; the lines are in the order of their
    // numbers, the first line of a number only.
    struct Line
    {
        int number;
        qsizetype from;
        qsizetype size;
    };

    StringTable() = default;
    const Line* find(int number) const;

    QByteArray m_source;
    std::vector<Line> m_lines;
};

} // namespace Global
