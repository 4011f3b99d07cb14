// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the vCard and CSV readers and writers share; not for other users.
#include "ContactCards.h"

namespace Finding::CardText {

// String numbers: why a card or row could not be read.
enum : int
{
    NoEnd = 9410,
    NoColon = 9411,
    NoName = 9412,
    UnknownCharset = 9413,
    OutsideCard = 9414,
    UnclosedQuote = 9415,
    NoHeading = 9416,
};

inline const QChar Newline(QLatin1Char('\n'));

// The parts that are not blank, trimmed and joined.
QString joinedNonEmpty(const QStringList& parts, const QString& separator);
// A text whose charset is not given: UTF-8 when it is valid UTF-8, else
// Windows-1252 (what older address books write).
QString decodeUnlabelled(const QByteArray& bytes);
// A road and the district lines after it, as a street of several lines.
void setStreet(CardAddress& address, const QStringList& lines);
// A card or row kept, or, when it names nobody and no organisation, named
// as a problem: no folder can be made of it.
void keep(CardsRead& read, const ContactCard& card);

} // namespace Finding::CardText
