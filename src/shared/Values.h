// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// The classic conversions between numbers and text that the suite's stored
// values and messages are made of. Every number that becomes text, and every
// text read as a number, goes through here.
namespace Global {

// The line break of every text the suite writes.
inline const QString LineBreak = QStringLiteral("\r\n");

// The leading number of a text: blanks, tabs and line feeds are skipped
// wherever they stand; reading stops at the first character that cannot
// continue a number; "&H" and "&O" introduce hexadecimal and octal numbers.
// A text without a number gives 0. Throws RunTimeError (Overflow) for a
// number beyond the range of a double.
double val(QStringView text);

// A double as its shortest text with up to 15 significant digits ("0.013",
// "12", "1E+15", "-2.5E-05").
QString numberText(double value);
// A 32-bit float as its shortest text that reads back as the same float
// ("0.013", not "0.0130000003").
QString floatText(float value);

// The text of a dynamic value: texts as they are, numbers by numberText (a
// float by floatText), booleans as "True" and "False", nothing as "".
QString toText(const QVariant& value);
// The number of a dynamic value: numbers as they are, texts by val(),
// booleans as -1 and 0, nothing as 0.
double toNumber(const QVariant& value);

// A number by a display pattern made of "0" (a digit always shown), "#" (a
// digit shown when needed), "," (thousands grouping) and "." (the decimal
// point): "#,##0", "#,###,##0", "#,##0.0", "0.0##". Halves round away from
// zero.
QString formatNumber(double value, QStringView pattern);

// Dates as day numbers counted from 30 December 1899, the time of day as the
// fraction.
double dateToNumber(const QDateTime& moment);
QDateTime numberToDate(double dayNumber);

} // namespace Global
