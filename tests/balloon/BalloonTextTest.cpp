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
    EXPECT_EQ(balloonText(32026, std::nullopt).picture, QStringLiteral("POSTCODE"));
}

// The label shows the marks as formatting, never as control characters, and
// text that looks like markup as it is.
TEST(BalloonText, EmphasisMarksBecomeFormattingAndTheRestIsEscaped)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("\x1F"
                        "BNew contact\x1F"
                        "b\x1F"
                        "nmade"),
         QStringLiteral("<b>New contact</b><br>made")},
        {QStringLiteral("a <b> & \x01Iit\x01i"), QStringLiteral("a &lt;b&gt; &amp; <i>it</i>")},
        {QStringLiteral("\x1FUon\x1F"
                        "u\x1Ftx"),
         QStringLiteral("<u>on</u>&nbsp;&nbsp;&nbsp;&nbsp;x")},
    };
    for (const auto& [message, html] : cases)
        EXPECT_EQ(balloonHtml(message), html) << message.toStdString();
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
