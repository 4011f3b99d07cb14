// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringView>

#include <optional>

// Where a balloon goes and what shape it has: the pure part of
// ShowBalloonHelp, in pixels. The window measures its message and draws; this
// decides.
namespace Routines_BalloonHelp {

struct BalloonInput
{
    int width = 0;      // W, the window's inner width
    int textHeight = 0; // TextH, the wrapped message's lines × a line's height
    QPoint tip;         // on the screen
    QSize screen;
    std::optional<int>
        position; // wanted corner: 0 below right, 1 below left, 2 above right, 3 above left
    bool picture = false;
    int delay = 0;               // the tweak BalloonDelay
    qsizetype messageLength = 0; // characters
};

struct BalloonLayout
{
    int height = 0;        // H
    int shape = 0;         // 3 below right, 6 below left, 12 above left, 9 above right of the tip
    QList<QPoint> outline; // in window pixels, drawn in order and filled (winding)
    QPoint corner;         // the window's top-left corner on the screen
    QPoint pictureAt;
    QPoint labelAt;
    qint64 interval = 0; // the hide timer's, in milliseconds; 0: no timer
};

// H: the message's height, at least 36, with the balloon's margins.
int balloonHeight(int textHeight);

// The layout, or nothing when the balloon fits on no side of the tip.
std::optional<BalloonLayout> balloonLayout(const BalloonInput& in);

// The points that step texts ("x,y:" each, relative to the point before)
// lead to from `from`.
QList<QPoint> stepPoints(QPoint from, QStringView steps);

} // namespace Routines_BalloonHelp
