// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/widgets/NewContactWidget.h"

#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "datafiles/PostcodeFile.h"
#include "datafiles/ProfileFile.h"
#include "finder/widgets/frm_Find.h"
#include "index/Build.h"
#include "shared/EmphasisMarks.h"
#include "shared/Paths.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class NewContactWidgetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Routines_RADs::CloseRADs();
        ASSERT_TRUE(Indexing::RebuildIndexFile({}, {1, 2, 3, 4}));
        finder = std::make_unique<frm_Find>();
        finder->setAttribute(Qt::WA_DeleteOnClose, false);
        finder->remote().RemoteOp(Finding::FinderRemote::SetCallerMode,
                                  Finding::FinderRemote::MainWindowMode);
        QObject::connect(&finder->remote(), &Finding::FinderRemote::pickedForMainWindow,
                         [this](const QString& pick) { picks << pick; });
        finder->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(finder.get()));
    }
    void TearDown() override
    {
        finder.reset();
        Routines_RADs::CloseRADs();
    }

    // The postcode of a demo contact.
    QString demoPostcode() const
    {
        QDirIterator it(workspace.made.folder + QStringLiteral("/Filing"),
                        {QStringLiteral("Profile.pro")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString postcode =
                Routines_ProfileFile::ReadProfile(it.next()).addresses[0].postcode;
            if (!postcode.isEmpty())
                return postcode;
        }
        return {};
    }

    // The rows that a search of `clue` lists.
    QStringList search(const QString& clue)
    {
        finder->txt_Clue->clear();
        QTest::keyClicks(finder->txt_Clue, clue);
        finder->flow().doSearch();
        QStringList rows;
        for (int row = 0; row < finder->flow().results().count(); ++row)
            rows << Global::plainEmphasisText(finder->flow().results().row(row).display);
        return rows;
    }

    // Runs `choose` on the list of addresses once it shows, then OK.
    static void chooseInList(std::function<void(QListWidget*)> choose)
    {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [poll, choose] {
            auto* list = QApplication::activeModalWidget()
                             ? QApplication::activeModalWidget()->findChild<QListWidget*>(
                                   QStringLiteral("list_PAF"))
                             : nullptr;
            if (!list)
                return;
            poll->stop();
            poll->deleteLater();
            choose(list);
            qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept();
        });
        poll->start();
    }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{6};
    std::unique_ptr<frm_Find> finder;
    QStringList picks;
};

bool mentions(const QStringList& rows, const QString& name)
{
    return std::any_of(rows.begin(), rows.end(),
                       [&](const QString& row) { return row.contains(name); });
}

} // namespace

TEST_F(NewContactWidgetTest, ANewContactIsCreatedPickedAndFoundByTheNextSearch)
{
    const QString postcode = demoPostcode();
    ASSERT_FALSE(postcode.isEmpty());
    // The demo's postcodes hold several addresses: the second is chosen.
    const QStringList addresses =
        Routines_RADs::LookupPostcode(QStringLiteral("UKPAF.BIN"), postcode).addresses;
    ASSERT_GT(addresses.size(), 1);
    const QStringList chosen = addresses[1].split(QLatin1Char('|'));
    ASSERT_FALSE(mentions(search(QStringLiteral("Quibble")), QStringLiteral("Quibble")));

    NewContactWidget* panel = finder->pnl_NewContact;
    QAction* add = finder->mainButtons.value(QStringLiteral("NEW"));
    ASSERT_TRUE(add->isEnabled());
    add->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_FALSE(finder->tbr_Main->isEnabled());
    EXPECT_FALSE(finder->pnl_Search->isEnabled());
    EXPECT_EQ(panel->pos(), QPoint((finder->width() - panel->width()) / 2,
                                   (finder->height() - panel->height()) / 2));
    EXPECT_TRUE(panel->txt_ContactName->hasFocus());
    EXPECT_EQ(panel->lbl_NewContactTitle->text(), "New Contact details");
    EXPECT_EQ(panel->combo_Title->currentText(), "Mr");
    EXPECT_FALSE(panel->but_CreateNew->isEnabled());
    EXPECT_TRUE(panel->but_TypeOfNumber[0]->isChecked());
    // The clue is on offer in the four fields that take it.
    EXPECT_EQ(panel->txt_CompanyName->cursor().shape(), Qt::BitmapCursor);

    // The user cannot close the window meanwhile.
    EXPECT_FALSE(finder->close());
    EXPECT_EQ(host.beeps, 1);

    QTest::mouseClick(panel->txt_ContactName, Qt::LeftButton);
    EXPECT_EQ(panel->txt_ContactName->text(), "Quibble");
    EXPECT_NE(panel->txt_CompanyName->cursor().shape(), Qt::BitmapCursor);
    panel->txt_ContactName->clear();
    QTest::keyClicks(panel->txt_ContactName, QStringLiteral("Quentin Quibble"));
    QTest::keyClick(panel->txt_ContactName, Qt::Key_Return); // swallowed
    EXPECT_TRUE(panel->isVisible());
    panel->txt_CompanyName->setText(QStringLiteral("Ωuibble"));
    EXPECT_TRUE(panel->lbl_Status->text().contains(QStringLiteral("saved as \"Ouibble\"")));
    panel->txt_CompanyName->clear();
    EXPECT_EQ(panel->lbl_Status->text(), QString());
    QTest::keyClicks(panel->txt_CompanyName, QStringLiteral("Quibble Quarries"));
    EXPECT_TRUE(panel->but_CreateNew->isEnabled());
    QTest::keyClicks(panel->txt_Address[5], postcode);
    int listed = 0;
    chooseInList([&](QListWidget* list) {
        listed = list->count();
        list->setCurrentRow(1);
    });
    // The address's company would replace the typed one: the user says no.
    if (!chosen.value(6).isEmpty())
        host.expectBox(Platform::MsgAnswer::No);
    QTest::mouseClick(panel->but_PAF, Qt::LeftButton);
    EXPECT_EQ(listed, addresses.size());
    for (int line = 0; line < 6; ++line)
        EXPECT_EQ(panel->txt_Address[size_t(line)]->text(), chosen[line]) << line;
    EXPECT_EQ(panel->txt_CompanyName->text(), "Quibble Quarries");
    QTest::keyClicks(panel->txt_Number[0], QStringLiteral("0113 496 0101"));

    QTest::mouseClick(panel->but_CreateNew, Qt::LeftButton);
    EXPECT_FALSE(finder->isVisible());
    EXPECT_FALSE(panel->isVisibleTo(finder.get()));
    EXPECT_TRUE(finder->tbr_Main->isEnabled());
    ASSERT_EQ(picks.size(), 1);
    // The main window's job folder: the folder of the pick's reference.
    const QString folder = Global::ResolveFolderRef(picks[0]);
    EXPECT_TRUE(QFileInfo(folder).fileName().startsWith(QStringLiteral("Quentin Quibble [")))
        << folder.toStdString();
    EXPECT_TRUE(QFileInfo(folder).dir().dirName().startsWith(QStringLiteral("Quibble Quarries")));
    // The status says what was made, for the next display.
    EXPECT_EQ(finder->statbar_Status->currentMessage(),
              QStringLiteral("Created \"%1\".").arg(QFileInfo(folder).fileName()));

    finder->show();
    const QStringList rows = search(QStringLiteral("Quibble"));
    EXPECT_TRUE(mentions(rows, QStringLiteral("Quentin Quibble")));
}

TEST_F(NewContactWidgetTest, TheRemoteOpenerAndEscapeOpenAndCancelThePanel)
{
    finder->remote().RemoteOp(Finding::FinderRemote::NewOrClose);
    NewContactWidget* panel = finder->pnl_NewContact;
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->txt_CompanyName->cursor().shape(), Qt::IBeamCursor); // no clue on offer
    QTest::keyClick(panel->txt_ContactName, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisibleTo(finder.get()));
    EXPECT_TRUE(finder->isVisible());
    EXPECT_TRUE(finder->pnl_Search->isEnabled());
    EXPECT_TRUE(picks.isEmpty());
}
