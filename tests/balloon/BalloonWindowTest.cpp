// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "balloon/BalloonGeometry.h"
#include "balloon/widgets/frm_BalloonHelp.h"
#include "shared/Tweaks.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class BalloonWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        button.setGeometry(100, 100, 80, 30);
        button.show();
    }
    void TearDown() override
    {
        if (frm_BalloonHelp* balloon = currentBalloon())
            balloon->Form_Click();
        QApplication::processEvents();
    }

    bool gone() const
    {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return currentBalloon() == nullptr;
    }

    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QPushButton button;
};

} // namespace

// Beside a control with room below and right: the tip at the control's
// centre, the window shaped by its outline.
TEST_F(BalloonWindow, ShowsBesideTheControlShapedAndClosesOnAClick)
{
    ASSERT_TRUE(ShowBalloonHelp(&button, std::nullopt, true, 0, false,
                                QStringLiteral("Type the postcode here")));
    frm_BalloonHelp* balloon = currentBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->pos(), button.mapToGlobal(button.rect().center()));
    EXPECT_EQ(balloon->size(), QSize(frm_BalloonHelp::DesignWidth, 66));
    EXPECT_EQ(balloon->lbl_Message->text(), QStringLiteral("Type the postcode here"));
    EXPECT_FALSE(balloon->pic_Graphic->isVisible());
    const QRegion mask = balloon->mask();
    EXPECT_TRUE(mask.contains(QPoint(100, 40)));  // inside the body
    EXPECT_FALSE(mask.contains(QPoint(150, 5)));  // beside the arrow, above the body
    EXPECT_TRUE(balloon->timer_Hide->isActive()); // 6 × 20 ms a character

    QTest::mouseClick(balloon->lbl_Message, Qt::LeftButton);
    EXPECT_TRUE(gone());
}

TEST_F(BalloonWindow, TheTimerClosesItAndANewBalloonReplacesTheOld)
{
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("BalloonDelay"), QStringLiteral("1"));
    Global::GetTweak(-1);
    ASSERT_TRUE(ShowBalloonHelp(&button, std::nullopt, true, 0, false, QStringLiteral("One")));
    frm_BalloonHelp* first = currentBalloon();
    ASSERT_TRUE(ShowBalloonHelp(&button, std::nullopt, true, 0, false, QStringLiteral("Two")));
    EXPECT_NE(currentBalloon(), first);
    EXPECT_EQ(currentBalloon()->timer_Hide->interval(), 60); // 20 ms a character
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone(); }, 5000));

    // A balloon shown once does not come back unless forced.
    button.setProperty("WhatsThisHelpID", 921);
    EXPECT_TRUE(ShowBalloonHelp(&button));
    EXPECT_FALSE(ShowBalloonHelp(&button));
    EXPECT_TRUE(ShowBalloonHelp(&button, std::nullopt, true));
    // One that fits nowhere shows nothing.
    host.screen = QSize(300, 120);
    EXPECT_FALSE(ShowBalloonHelp(&button, std::nullopt, true, 0, false, QStringLiteral("x")));
}

// A string's picture shows at the balloon's left, light magenta see-through,
// and the label beside it is the narrower one.
TEST_F(BalloonWindow, APictureShowsWithLightMagentaSeeThrough)
{
    ASSERT_TRUE(ShowBalloonHelp(&button, std::nullopt, true, 32026));
    frm_BalloonHelp* balloon = currentBalloon();
    ASSERT_NE(balloon, nullptr);
    ASSERT_TRUE(balloon->pic_Graphic->isVisible());
    EXPECT_EQ(balloon->lbl_Message->width(), 150);
    EXPECT_EQ(balloon->lbl_Message->x(), balloon->pic_Graphic->x() + 45);
    const QImage shown = balloon->pic_Graphic->grab().toImage();
    const QColor background = balloon->palette().color(QPalette::Window);
    EXPECT_EQ(shown.pixelColor(0, 0), background);   // light magenta in the file
    EXPECT_NE(shown.pixelColor(14, 17), background); // the envelope
}

// A long message wraps onto several lines, and the label and the balloon
// are tall enough for all of them.
TEST_F(BalloonWindow, ALongMessageGrowsTheBalloonByItsLines)
{
    const QString message = QStringLiteral(
        "The postcode you typed was not found in the postal address file, so the address lines "
        "were left as they were. Check that the postcode is complete, or type the address in "
        "yourself and save the contact as usual.");
    ASSERT_TRUE(ShowBalloonHelp(&button, std::nullopt, true, 0, false, message));
    frm_BalloonHelp* balloon = currentBalloon();
    ASSERT_NE(balloon, nullptr);
    QLabel* label = balloon->lbl_Message;
    const int lines = balloonMessageLines(label->font(), 190, label->text());
    EXPECT_GE(lines, 4);
    const int textHeight = lines * QFontMetrics(label->font()).lineSpacing();
    EXPECT_EQ(label->height(), textHeight);
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    EXPECT_EQ(balloon->height(), Routines_BalloonHelp::balloonHeight(textHeight));
}
