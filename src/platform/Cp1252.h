// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace Platform::Cp1252 {

// The suite's files hold Windows-1252 text: one byte is one character. The
// five bytes that Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) map to
// the characters of the same code, so every byte survives a round trip.
QString decode(const char* bytes, qsizetype size);
inline QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

// A character that Windows-1252 lacks is written as "?".
QByteArray encode(QStringView text);

QChar toChar(unsigned char byte);
// The byte of a character, or '?' when Windows-1252 has no byte for it.
char toByte(QChar ch);
bool canEncode(QChar ch);

// The text as the suite's files can hold it, so that what is written and
// what is shown (a folder's name, a typed clue) are one and the same: each
// run of characters that Windows-1252 lacks is transliterated into Latin
// letters ("Łódź" gives "Lódz", "Ωmega" "Omega", "中文" "zhong wen"),
// while every character that Windows-1252 holds stays as it is (é, ü,
// ñ, €). What still has no form becomes "?", counted in `unknown` when
// given. Text that needs nothing comes back at once, without loading the
// transliterator.
QString transliterate(QStringView text, int* unknown = nullptr);

} // namespace Platform::Cp1252
