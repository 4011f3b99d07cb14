// SPDX-License-Identifier: GPL-3.0-or-later
#include "BalloonGeometry.h"

#include <QString>

namespace Routines_BalloonHelp {
namespace {

// The corners, 7 × 7 pixels in five steps each: top right (going right to
// going down), bottom right, bottom left, top left.
const char* const A = "1,1:1,0:4,4:0,1:1,1:";
const char* const B = "-1,1:0,1:-4,4:-1,0:-1,1:";
const char* const C = "-1,-1:-1,0:-4,-4:0,-1:-1,-1:";
const char* const D = "1,-1:0,-1:4,-4:1,0:1,-1:";

// Room on each side of the tip.
enum Room : int
{
    Right = 1,
    Below = 2,
    Left = 4,
    Above = 8
};

QString n(int value)
{
    return QString::number(value);
}

} // namespace

int balloonHeight(int textHeight)
{
    return (textHeight < 36 ? 36 : textHeight + 5) + 30;
}

QList<QPoint> stepPoints(QPoint from, QStringView steps)
{
    QList<QPoint> points;
    for (QStringView step : steps.split(u':', Qt::SkipEmptyParts)) {
        const qsizetype comma = step.indexOf(u',');
        if (comma < 0)
            break;
        from += QPoint(step.first(comma).toInt(), step.sliced(comma + 1).toInt());
        points.append(from);
    }
    return points;
}

std::optional<BalloonLayout> balloonLayout(const BalloonInput& in)
{
    BalloonLayout out;
    const int W = in.width;
    const int H = balloonHeight(in.textHeight);
    out.height = H;
    out.interval = qint64(in.delay) * 100 * in.messageLength / 5;

    int room = 0;
    if (in.tip.x() < in.screen.width() - W)
        room |= Right;
    if (in.tip.y() < in.screen.height() - H)
        room |= Below;
    if (in.tip.x() > W)
        room |= Left;
    if (in.tip.y() > H)
        room |= Above;
    if (in.position) {
        const int wanted = (*in.position + 1) * 3;
        if ((room & wanted) == wanted)
            room = wanted;
    }
    for (const int shape : {Right | Below, Below | Left, Left | Above, Right | Above}) {
        if ((room & shape) == shape) {
            out.shape = shape;
            break;
        }
    }
    if (out.shape == 0)
        return std::nullopt;

    QPoint start;
    QString steps;
    switch (out.shape) {
    case Right | Below:
        out.outline = {{10, 30}, {0, 0}};
        start = out.outline[1];
        steps = QStringLiteral("20,20:") + n(W - 28) + QStringLiteral(",0:") + A +
                QStringLiteral("0,") + n(H - 35) + QStringLiteral(":") + B + n(25 - W) +
                QStringLiteral(",0:") + C + QStringLiteral("0,") + n(38 - H) + QStringLiteral(":");
        out.pictureAt = {23, 25};
        out.corner = in.tip;
        break;
    case Below | Left:
        // Here the tip comes first and the steps start from the arrow's base
        // on the right edge, so that the body lies below the arrow.
        out.outline = {{W, 0}, {W - 10, 30}};
        start = out.outline[1];
        steps = QStringLiteral("0,") + n(H - 38) + QStringLiteral(":") + B + n(25 - W) +
                QStringLiteral(",0:") + C + QStringLiteral("0,") + n(36 - H) + QStringLiteral(":") +
                D + n(W - 29) + QStringLiteral(",0:20,-20:");
        out.pictureAt = {16, 26};
        out.corner = in.tip - QPoint(W, 0);
        break;
    case Left | Above:
        out.outline = {{W - 10, H - 30}, {W, H}};
        start = out.outline[1];
        steps = QStringLiteral("-20,-20:") + n(28 - W) + QStringLiteral(",0:") + C +
                QStringLiteral("0,") + n(35 - H) + QStringLiteral(":") + D + n(W - 25) +
                QStringLiteral(",0:") + A + QStringLiteral("0,") + n(H - 36) + QStringLiteral(":");
        out.pictureAt = {16, 6};
        out.corner = in.tip - QPoint(W, H);
        break;
    default: // Right | Above
        out.outline = {{20, H - 20}, {0, H}};
        start = out.outline[1];
        steps = QStringLiteral("10,-30:0,") + n(38 - H) + QStringLiteral(":") + D + n(W - 25) +
                QStringLiteral(",0:") + A + QStringLiteral("0,") + n(H - 35) + QStringLiteral(":") +
                B + n(28 - W) + QStringLiteral(",0:");
        out.pictureAt = {25, 5};
        out.corner = in.tip - QPoint(0, H);
        break;
    }
    out.outline += stepPoints(start, steps);
    out.labelAt = in.picture ? out.pictureAt + QPoint(45, 0) : out.pictureAt;
    return out;
}

} // namespace Routines_BalloonHelp
