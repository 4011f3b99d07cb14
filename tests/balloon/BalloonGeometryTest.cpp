// SPDX-License-Identifier: GPL-3.0-or-later
#include "balloon/BalloonGeometry.h"

#include <QRect>

#include <gtest/gtest.h>

using namespace Routines_BalloonHelp;

namespace {

constexpr int W = 200;
const QSize Screen(1024, 768);

BalloonInput at(QPoint tip, std::optional<int> position = std::nullopt)
{
    BalloonInput in;
    in.width = W;
    in.textHeight = 16; // one line
    in.tip = tip;
    in.screen = Screen;
    in.position = position;
    return in;
}

} // namespace

TEST(BalloonGeometry, HeightAndTimerFollowTheMessage)
{
    EXPECT_EQ(balloonHeight(16), 66); // one line
    EXPECT_EQ(balloonHeight(35), 66);
    EXPECT_EQ(balloonHeight(36), 71);
    EXPECT_EQ(balloonHeight(48), 83);

    BalloonInput in = at({100, 100});
    in.messageLength = 25;
    in.delay = 6;
    EXPECT_EQ(balloonLayout(in)->interval, 3000); // 120 ms a character
    in.delay = 0;
    EXPECT_EQ(balloonLayout(in)->interval, 0); // no timer
}

// The first shape that the room around the tip allows, unless the corner
// asked for fits.
TEST(BalloonGeometry, TheShapeFollowsTheRoomAroundTheTip)
{
    struct Case
    {
        QPoint tip;
        std::optional<int> position;
        int shape; // 0: no room on any side
    };
    const Case cases[] = {
        {{100, 100}, std::nullopt, 3},   // room right and below
        {{1000, 100}, std::nullopt, 6},  // the right edge near: below left
        {{1000, 750}, std::nullopt, 12}, // the bottom-right corner: above left
        {{100, 750}, std::nullopt, 9},   // the bottom near: above right
        {{500, 300}, 1, 6},              // below left asked for, and room for it
        {{100, 300}, 1, 3},              // below left asked for, no room on the left
        {{500, 300}, 3, 12},
        {{500, 300}, 2, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tip.x() << "," << c.tip.y());
        const auto layout = balloonLayout(at(c.tip, c.position));
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->shape, c.shape);
    }
    // A balloon wider than half the screen fits on neither side.
    BalloonInput wide = at({500, 300});
    wide.width = 600;
    EXPECT_FALSE(balloonLayout(wide));
}

// Each outline starts at its tip's side, turns its three rounded corners and
// comes back by the arrow; every point lies inside the window, and the window
// stands so that the tip touches the point it points at.
TEST(BalloonGeometry, EachShapesOutlineStaysInTheWindowAndItsTipTouchesThePoint)
{
    struct Case
    {
        QPoint tip;
        int shape;
        QPoint tipInWindow;
        QPoint last; // where the outline's steps end
        QPoint picture;
    };
    const int H = 66;
    const Case cases[] = {
        {{100, 100}, 3, {0, 0}, {10, 30}, {23, 25}},
        {{1000, 100}, 6, {W, 0}, {W - 1, 1}, {16, 26}},
        {{1000, 750}, 12, {W, H}, {W - 10, H - 28}, {16, 6}},
        {{100, 750}, 9, {0, H}, {20, H - 20}, {25, 5}},
    };
    const QRect window(0, 0, W + 1, H + 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        BalloonInput in = at(c.tip);
        in.picture = true;
        const auto layout = balloonLayout(in);
        ASSERT_TRUE(layout);
        ASSERT_EQ(layout->shape, c.shape);
        EXPECT_EQ(layout->height, H);
        // Two points, then twenty steps: three corners of five and five more.
        ASSERT_LE(layout->outline.size(), 31);
        EXPECT_EQ(layout->outline.size(), 22);
        EXPECT_TRUE(layout->outline.contains(c.tipInWindow));
        EXPECT_EQ(layout->outline.last(), c.last);
        for (const QPoint& point : layout->outline)
            EXPECT_TRUE(window.contains(point)) << point.x() << "," << point.y();
        EXPECT_EQ(layout->corner + c.tipInWindow, c.tip);
        EXPECT_EQ(layout->pictureAt, c.picture);
        EXPECT_EQ(layout->labelAt, c.picture + QPoint(45, 0));
    }
    // Without a picture the message stands where the picture would.
    EXPECT_EQ(balloonLayout(at({100, 100}))->labelAt, QPoint(23, 25));
}

TEST(BalloonGeometry, StepsAddUpFromThePointBefore)
{
    EXPECT_EQ(stepPoints({10, 10}, u"1,1:-4,0:0,12:"), (QList<QPoint>{{11, 11}, {7, 11}, {7, 23}}));
    EXPECT_TRUE(stepPoints({0, 0}, u"").isEmpty());
}
