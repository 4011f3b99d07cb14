// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// What ShowBalloonHelp reads before it draws: whether a balloon may show
// (the "BalloonHelp" record of balloons shown once), its text, and its
// colour and timing from the tweaks.
namespace Routines_BalloonHelp {

// False when the balloon of string `textNumber` was shown before and is not
// forced.
bool balloonAllowed(int textNumber, bool force);
// Records that it was shown, when BalloonShowOnce is on (never for string 0).
void recordBalloonShown(int textNumber);

// A balloon's text: "picture name,message", from `message` (a comma put in
// front unless it starts with one) or else string `textNumber`.
struct BalloonText
{
    QString picture; // empty: no picture
    QString message;
    bool operator==(const BalloonText&) const = default;
};
BalloonText balloonText(int textNumber, const std::optional<QString>& message);
// The message as the rich text that the balloon's label shows: its emphasis
// marks as bold, italic, underline and line breaks, a column step as a few
// blanks, everything else escaped. (Colour marks keep the label's colour.)
QString balloonHtml(QStringView message);

// BalloonBackground written in hexadecimal: a colour, or a system colour
// number such as 0x80000018 (the tool tip's background).
quint32 balloonBackground();
// BalloonDelay: tenths of a second for every five characters.
int balloonDelay();

} // namespace Routines_BalloonHelp
