// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Tweaks.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "platform/RunTimeError.h"
#include "shared/Settings.h"

#include <gtest/gtest.h>

using Global::GetTweak;
namespace Tweak = Global::Tweak;

TEST(Tweaks, DefaultsComeFromTheDefinitions)
{
    Testing::TestSettings settings;
    struct Case
    {
        int number;
        const char* name;
        QString text;
    };
    const Case cases[] = {
        {Tweak::PromptEnding, "PromptEnding", QStringLiteral(": ")},
        {Tweak::PbkTreeNodeSeparator, "PbkTreeNodeSeparator", QStringLiteral("\\")},
        {Tweak::UserDefDTFormat, "UserDefDTFormat", QString()},
        {Tweak::FolderStyle, "FolderStyle", QString()},
        {Tweak::BalloonBackground, "BalloonBackground", QStringLiteral("80000018")},
        {Tweak::AccessAttempts, "AccessAttempts", QStringLiteral("4")},
        {Tweak::EOWTriggers, "EOWTriggers", QStringLiteral("!)]}:;?\u00A3$-")},
    };
    for (const Case& c : cases) {
        const Global::TweakRecord tweak = GetTweak(c.number);
        EXPECT_EQ(tweak.name, QString::fromLatin1(c.name));
        EXPECT_EQ(tweak.text(), c.text) << c.name;
        EXPECT_TRUE(tweak.loaded);
    }
    const Global::TweakRecord delay = GetTweak(Tweak::BalloonDelay);
    EXPECT_EQ(delay.type, 1);
    EXPECT_EQ(delay.max, 20);
    EXPECT_EQ(delay.min, 0);
    EXPECT_EQ(delay.number(), 6);
    EXPECT_TRUE(GetTweak(Tweak::BalloonShowOnce).isOn());
    EXPECT_FALSE(GetTweak(Tweak::ReportRegistryError).isOn());
}

TEST(Tweaks, StoredValuesOutsideTheRangeGiveTheDefaultSilently)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host; // any box would fail the test
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonDelay"), QStringLiteral("25"));
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonBackground"),
                 QStringLiteral("800000180"));
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("FolderStyle"), QString());
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("AccessAttempts"), QStringLiteral("2"));
    EXPECT_EQ(GetTweak(Tweak::BalloonDelay).number(), 6);
    EXPECT_EQ(GetTweak(Tweak::BalloonBackground).text(), QStringLiteral("80000018"));
    EXPECT_EQ(GetTweak(Tweak::FolderStyle).text(), QString());
    EXPECT_EQ(GetTweak(Tweak::AccessAttempts).number(), 2);
}

TEST(Tweaks, KeptUntilReadAgain)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    EXPECT_EQ(GetTweak(Tweak::BalloonDelay).number(), 6);
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonDelay"), QStringLiteral("9"));
    EXPECT_EQ(GetTweak(Tweak::BalloonDelay).number(), 6) << "the kept value serves";
    EXPECT_EQ(GetTweak(-Tweak::BalloonDelay).number(), 9) << "a negative number reads again";

    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonDelay"), QStringLiteral("3"));
    const int generation = Global::tweakGeneration();
    EXPECT_FALSE(GetTweak(-1).loaded);
    EXPECT_EQ(Global::tweakGeneration(), generation + 1);
    EXPECT_EQ(GetTweak(Tweak::BalloonDelay).number(), 3);
    // Forgetting shows the busy pointer and puts the old one back.
    EXPECT_EQ(host.pointers.value(0), Platform::Pointer::ArrowHourglass);
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
}

TEST(Tweaks, NumbersOutsideTheTableAreARangeError)
{
    Testing::TestSettings settings;
    for (const int number : {0, 31000, 31085, -31085, 1, 99999}) {
        try {
            GetTweak(number);
            ADD_FAILURE() << number << " was accepted";
        } catch (const Platform::RunTimeError& error) {
            EXPECT_EQ(error.number(), Platform::RunTimeError::SubscriptOutOfRange);
        }
    }
}
