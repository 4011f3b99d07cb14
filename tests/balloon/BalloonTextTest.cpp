// SPDX-License-Identifier: GPL-3.0-or-later
#include "balloon/BalloonText.h"

#include "TestSettings.h"
#include "shared/Tweaks.h"

#include <gtest/gtest.h>

using namespace Routines_BalloonHelp;

TEST(BalloonText, APictureNameComesBeforeTheFirstComma)
{
    Testing::TestSettings settings;
    struct Case
    {
        std::optional<QString> message;
        BalloonText text;
    };
    const Case cases[] = {
        {QStringLiteral("Check the postcode, please"),
         {QString(), QStringLiteral("Check the postcode, please")}},
        {QStringLiteral(",Already marked"), {QString(), QStringLiteral("Already marked")}},
        {QStringLiteral(""), {QString(), QString()}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(balloonText(0, c.message), c.text) << c.message->toStdString();
    // A string of the table carries its picture's name in front.
    EXPECT_EQ(balloonText(921, std::nullopt).picture, QString());
    EXPECT_TRUE(balloonText(921, std::nullopt).message.contains(QStringLiteral("New contact")));
}

// With BalloonShowOnce on (the default) a balloon shows once unless forced;
// string 0 is never recorded.
TEST(BalloonText, ABalloonShowsOnceUnlessForced)
{
    Testing::TestSettings settings;
    EXPECT_TRUE(balloonAllowed(921, false));
    recordBalloonShown(921);
    EXPECT_FALSE(balloonAllowed(921, false));
    EXPECT_TRUE(balloonAllowed(921, true));
    recordBalloonShown(0);
    EXPECT_TRUE(balloonAllowed(0, false));

    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonShowOnce"), QStringLiteral("0"));
    Global::GetTweak(-1);
    recordBalloonShown(926);
    EXPECT_TRUE(balloonAllowed(926, false));
}

TEST(BalloonText, ColourAndDelayComeFromTheTweaks)
{
    Testing::TestSettings settings;
    EXPECT_EQ(balloonBackground(), 0x80000018u);
    EXPECT_EQ(balloonDelay(), 6);
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonBackground"),
                 QStringLiteral("C0FFFF"));
    Global::GetTweak(-1);
    EXPECT_EQ(balloonBackground(), 0xC0FFFFu);
}
