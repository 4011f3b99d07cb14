// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/NewContactPanel.h"

#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "datafiles/PostcodeBuilder.h"
#include "datafiles/PostcodeFile.h"
#include "datafiles/ShareFile.h"
#include "finder/FinderRemote.h"
#include "platform/File.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using Finding::NewContactPanel;
using Platform::MsgAnswer;

namespace {

// A demo workspace whose postcode address file holds one address at
// "AB1 2CD" (a company's), two at "EF3 4GH" and none elsewhere.
class NewContactPanelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Routines_RADs::CloseRADs();
        Routines_RADs::PostcodeFileBuilder builder;
        builder.add({QStringLiteral("AB1 2CD"),
                     {QString(), QStringLiteral("Mill House"), QStringLiteral("1 Mill Lane"),
                      QString(), QStringLiteral("Leeds"), QStringLiteral("West Yorkshire")},
                     QStringLiteral("Acme Widgets")});
        for (const char* road : {"2 High Street", "4 High Street"})
            builder.add({QStringLiteral("EF3 4GH"),
                         {QString(), QString(), QString::fromLatin1(road), QString(),
                          QStringLiteral("York"), QString()},
                         QString()});
        QFile file(workspace.made.folder + QStringLiteral("/RADs/UKPAF.BIN"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(builder.build({}));
        panel.setAddressChooser([this](const QStringList& addresses) {
            offered = addresses;
            return chosen;
        });
        QObject::connect(&panel, &NewContactPanel::noAddressFound,
                         [this](int text) { balloons << text; });
        QObject::connect(&panel, &NewContactPanel::tabRequested, [this] { ++tabs; });
    }
    void TearDown() override
    {
        Routines_RADs::CloseRADs();
        setTweak("DefaultNumberType", QString());
        setTweak("AlwaysConfirm", QString());
        setTweak("EnterDoesTab", QString());
    }

    static void setTweak(const char* name, const QString& value)
    {
        Global::SaveRegistryData(QStringLiteral("Tweaks"), QString::fromLatin1(name), value);
        Global::GetTweak(-1);
    }
    void typePostcode(const QString& postcode)
    {
        panel.setText(NewContactPanel::Postcode, postcode);
    }
    static NewContactPanel::Field line(int line)
    {
        return NewContactPanel::Field(NewContactPanel::Address0 + line);
    }
    QStringList address() const
    {
        QStringList lines;
        for (int line = 0; line < 6; ++line)
            lines << panel.text(NewContactPanelTest::line(line));
        return lines;
    }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{4};
    NewContactPanel panel;
    QStringList offered;
    int chosen = -1;
    QList<int> balloons;
    int tabs = 0;
};

} // namespace

TEST_F(NewContactPanelTest, PrepareFillsTitlesCountriesPromptsAndResets)
{
    setTweak("DefaultNumberType", QStringLiteral("2"));
    panel.open(QString());
    panel.setText(NewContactPanel::ContactName, QStringLiteral("Jo"));
    panel.pressType(4);
    panel.PrepareNewContact(QString());

    ASSERT_EQ(panel.titles().size(), 10);
    EXPECT_EQ(panel.titles()[4].text, "Dr (M)");
    EXPECT_TRUE(panel.titles()[4].male);
    EXPECT_FALSE(panel.titles()[5].male);
    EXPECT_EQ(panel.titleRow(), 0); // GenderPref is on by default
    EXPECT_FALSE(panel.countries().isEmpty());
    EXPECT_EQ(panel.country(), "United Kingdom");
    // The third type button of each number.
    EXPECT_EQ(panel.pressedType(0), 2);
    EXPECT_EQ(panel.pressedType(1), 6);
    EXPECT_EQ(NewContactPanel::typeImage(6), "NO_3");
    // The demo's share file names the contact and company fields.
    EXPECT_EQ(panel.contactPrompt(), "Contact name: ");
    EXPECT_EQ(panel.companyPrompt(), "Organisation: ");
    EXPECT_EQ(panel.numberPrompts()[1], "Contact point 2: ");
    // Without address label sets: strings 711 and 712, both texts where they
    // differ.
    EXPECT_EQ(panel.addressPrompts()[0], "Building\\House name: ");
    EXPECT_EQ(panel.addressPrompts()[1], "Road: ");
    EXPECT_EQ(panel.addressPrompts()[2], "District\\Locality: ");
    EXPECT_EQ(panel.addressPrompts()[5], "Postcode: ");
    EXPECT_EQ(panel.caption(), "New Contact details");
    EXPECT_EQ(panel.createCaption(), "Create");
    EXPECT_TRUE(panel.text(NewContactPanel::ContactName).isEmpty());
    EXPECT_FALSE(panel.createEnabled());

    // Without a share file: strings 709 and 710, and the other title.
    Routines_ShareFile::setShareFilePath(workspace.made.folder + QStringLiteral("/none.bin"));
    setTweak("GenderPref", QStringLiteral("0"));
    panel.PrepareNewContact(QString());
    Routines_ShareFile::setShareFilePath(QString());
    setTweak("GenderPref", QString());
    EXPECT_EQ(panel.contactPrompt(), "Full name: ");
    EXPECT_EQ(panel.companyPrompt(), "Company name: ");
    EXPECT_EQ(panel.titleRow(), 1);
}

TEST_F(NewContactPanelTest, TheClueIsOfferedOnceAndOnlyWithAClue)
{
    panel.open(QString());
    EXPECT_FALSE(panel.clueOffered());
    panel.fieldClicked(NewContactPanel::CompanyName);
    EXPECT_TRUE(panel.text(NewContactPanel::CompanyName).isEmpty());

    panel.open(QStringLiteral("Brown"));
    EXPECT_TRUE(panel.clueOffered());
    panel.fieldClicked(NewContactPanel::Address0); // offers nothing
    EXPECT_TRUE(panel.clueOffered());
    panel.fieldClicked(NewContactPanel::CompanyName);
    EXPECT_EQ(panel.text(NewContactPanel::CompanyName), "Brown");
    EXPECT_FALSE(panel.clueOffered());
    EXPECT_TRUE(panel.createEnabled());
    panel.fieldClicked(NewContactPanel::ContactName);
    EXPECT_TRUE(panel.text(NewContactPanel::ContactName).isEmpty());
}

TEST_F(NewContactPanelTest, CreateIsEnabledByEitherName)
{
    panel.open(QString());
    panel.setText(NewContactPanel::Number0, QStringLiteral("0113"));
    EXPECT_FALSE(panel.createEnabled());
    panel.setText(NewContactPanel::CompanyName, QStringLiteral("Acme"));
    EXPECT_TRUE(panel.createEnabled());
    panel.setText(NewContactPanel::ContactName, QStringLiteral("Jo"));
    panel.setText(NewContactPanel::CompanyName, QString());
    EXPECT_TRUE(panel.createEnabled());
    panel.setText(NewContactPanel::ContactName, QString());
    EXPECT_FALSE(panel.createEnabled());
}

TEST_F(NewContactPanelTest, OneAddressFillsTheLinesAndAnEmptyCompany)
{
    panel.open(QString());
    typePostcode(QStringLiteral("ab1 2cd"));
    ASSERT_TRUE(panel.lookUpPostcode());
    EXPECT_EQ(address(),
              (QStringList{"Mill House", "1 Mill Lane", "", "Leeds", "West Yorkshire", "AB1 2CD"}));
    EXPECT_EQ(panel.text(NewContactPanel::CompanyName), "Acme Widgets");
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(NewContactPanelTest, NoAddressShowsTheBalloonAndChangesNothing)
{
    panel.open(QString());
    panel.setText(NewContactPanel::Address0, QStringLiteral("Kept"));
    typePostcode(QStringLiteral("ZZ9 9ZZ"));
    EXPECT_FALSE(panel.lookUpPostcode());
    EXPECT_EQ(balloons, QList<int>{32026});
    EXPECT_EQ(address(), (QStringList{"Kept", "", "", "", "", "ZZ9 9ZZ"}));
}

// A postal address file that cannot be read whole says what is wrong with
// it, never that the postcode has no address.
TEST_F(NewContactPanelTest, AFileThatCannotBeReadIsToldInPlaceOfTheBalloon)
{
    const QString file = workspace.made.folder + QStringLiteral("/RADs/UKPAF.BIN");
    QFile reading(file);
    ASSERT_TRUE(reading.open(QIODevice::ReadOnly));
    const QByteArray good = reading.readAll();
    reading.close();
    const struct
    {
        const char* what;
        QByteArray bytes; // none: the file is missing
        const char* box;
    } cases[] = {
        {"cut short", good.left(2300), "is damaged ("},
        {"another kind", QByteArray("Zux RAX and more"),
         "is not a valid Vantix Rapid Addressing Database file"},
        {"missing", QByteArray(), "could not be read (File not found)"},
    };
    for (const auto& c : cases) {
        Routines_RADs::CloseRADs();
        QFile::remove(file);
        if (!c.bytes.isEmpty()) {
            QFile writing(file);
            ASSERT_TRUE(writing.open(QIODevice::WriteOnly));
            writing.write(c.bytes);
        }
        host.expectBox(MsgAnswer::Ok, QString::fromUtf8(c.box));
        panel.open(QString());
        typePostcode(QStringLiteral("AB1 2CD"));
        EXPECT_FALSE(panel.lookUpPostcode()) << c.what;
        EXPECT_TRUE(balloons.isEmpty()) << c.what;
        EXPECT_EQ(address(), (QStringList{"", "", "", "", "", "AB1 2CD"})) << c.what;
    }
}

// The panel says what saving makes of a name that the files cannot hold.
TEST_F(NewContactPanelTest, ANameTheFilesCannotHoldSaysWhatItBecomes)
{
    QStringList notices;
    QObject::connect(&panel, &NewContactPanel::noticeChanged,
                     [&](const QString& notice) { notices << notice; });
    panel.open(QString());
    panel.setText(NewContactPanel::ContactName, QStringLiteral("Zoë"));
    EXPECT_TRUE(notices.isEmpty());
    panel.setText(NewContactPanel::CompanyName, QStringLiteral("Ωmega"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith(QStringLiteral("\"Ωmega\" is saved as \"Omega\"")));
    panel.setText(NewContactPanel::CompanyName, QStringLiteral("Omega"));
    EXPECT_EQ(notices.last(), QString());
}

TEST_F(NewContactPanelTest, SeveralAddressesAreChosenFromOrCancelled)
{
    panel.open(QString());
    typePostcode(QStringLiteral("EF3 4GH"));
    EXPECT_FALSE(panel.lookUpPostcode()); // Cancel
    ASSERT_EQ(offered.size(), 2);
    EXPECT_TRUE(panel.text(line(1)).isEmpty());

    chosen = 1;
    ASSERT_TRUE(panel.lookUpPostcode());
    EXPECT_EQ(panel.text(line(1)), offered[1].section(QLatin1Char('|'), 1, 1));
    EXPECT_EQ(panel.text(line(3)), "York");
}

TEST_F(NewContactPanelTest, ACompanyTypedIsReplacedOnlyAsAlwaysConfirmSays)
{
    struct Case
    {
        const char* alwaysConfirm;
        std::optional<MsgAnswer> answer;
        const char* company;
    };
    for (const Case& c :
         {Case{"-1", MsgAnswer::No, "Typed Ltd"}, Case{"-1", MsgAnswer::Yes, "Acme Widgets"},
          Case{"0", std::nullopt, "Acme Widgets"}}) {
        setTweak("AlwaysConfirm", QString::fromLatin1(c.alwaysConfirm));
        host.boxes.clear();
        if (c.answer)
            host.expectBox(*c.answer, QStringLiteral("\"Acme Widgets\""));
        panel.open(QString());
        panel.setText(NewContactPanel::CompanyName, QStringLiteral("Typed Ltd"));
        typePostcode(QStringLiteral("AB1 2CD"));
        ASSERT_TRUE(panel.lookUpPostcode());
        EXPECT_EQ(panel.text(NewContactPanel::CompanyName), c.company) << c.alwaysConfirm;
        EXPECT_EQ(host.boxes.size(), c.answer ? 1 : 0);
    }
}

TEST_F(NewContactPanelTest, EnterTwiceWithOnePostcodeLooksItUpOnce)
{
    setTweak("EnterDoesTab", QStringLiteral("-1"));
    panel.open(QString());
    typePostcode(QStringLiteral("ZZ9 9ZZ"));
    panel.enterPressed(NewContactPanel::Postcode);
    EXPECT_EQ(balloons.size(), 1);
    EXPECT_EQ(panel.lastLookedUpPostcode(), "ZZ9 9ZZ");
    EXPECT_EQ(tabs, 1); // the focus stayed in the postcode line, so it moves on
    panel.enterPressed(NewContactPanel::Postcode);
    EXPECT_EQ(balloons.size(), 1);
    EXPECT_EQ(tabs, 2);

    // An address found takes the focus to the address: Enter goes no further.
    typePostcode(QStringLiteral("AB1 2CD"));
    panel.enterPressed(NewContactPanel::Postcode);
    EXPECT_EQ(panel.text(line(3)), "Leeds");
    EXPECT_EQ(tabs, 2);
    // An empty postcode is not looked up.
    typePostcode(QString());
    panel.enterPressed(NewContactPanel::Postcode);
    EXPECT_EQ(balloons.size(), 1);
}

TEST_F(NewContactPanelTest, CreateHandsTheContactsReferenceBackAndACompanyAlonesOwn)
{
    Finding::SearchFlow flow;
    Finding::FinderRemote remote(flow);
    remote.RemoteOp(Finding::FinderRemote::SetCallerMode, Finding::FinderRemote::MainWindowMode);
    QStringList picks;
    QObject::connect(&remote, &Finding::FinderRemote::pickedForMainWindow,
                     [&](const QString& pick) { picks << pick; });
    NewContactPanel& created = remote.newContact();

    remote.RemoteOp(Finding::FinderRemote::NewOrClose);
    ASSERT_TRUE(created.shown());
    created.setText(NewContactPanel::CompanyName, QStringLiteral("Zephyr Holdings"));
    created.setText(NewContactPanel::ContactName, QStringLiteral("Quentin Zed"));
    created.setText(NewContactPanel::Number0, QStringLiteral("0113 496 0000"));
    created.create();
    EXPECT_FALSE(created.shown());
    ASSERT_EQ(picks.size(), 1);
    const QFileInfo contact(Global::ResolveFolderRef(picks[0]));
    EXPECT_TRUE(contact.fileName().startsWith(QStringLiteral("Quentin Zed [")))
        << picks[0].toStdString();
    EXPECT_TRUE(contact.dir().dirName().startsWith(QStringLiteral("Zephyr Holdings [")));

    remote.openNewContact();
    created.setText(NewContactPanel::CompanyName, QStringLiteral("Yonder Trading"));
    created.create();
    ASSERT_EQ(picks.size(), 2);
    EXPECT_TRUE(QFileInfo(Global::ResolveFolderRef(picks[1]))
                    .fileName()
                    .startsWith(QStringLiteral("Yonder Trading [")))
        << picks[1].toStdString();
}

TEST_F(NewContactPanelTest, NoPickWhenNothingWasMadeAndTheWindowStaysWhileItShows)
{
    Finding::SearchFlow flow;
    Finding::FinderRemote remote(flow);
    remote.RemoteOp(Finding::FinderRemote::SetCallerMode, Finding::FinderRemote::MainWindowMode);
    int picks = 0;
    QObject::connect(&remote, &Finding::FinderRemote::pickedForMainWindow, [&] { ++picks; });
    remote.openNewContact();
    remote.RemoteOp(Finding::FinderRemote::OpenProperties); // not over the panel
    EXPECT_FALSE(remote.properties().shown());
    EXPECT_TRUE(remote.refuseClose());
    EXPECT_EQ(host.beeps, 1);

    Global::SaveRegistryData(
        QStringLiteral("Config\\Modes\\") +
            Global::GetRegistryData(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"))
                .toString(),
        QStringLiteral("NewContactsFolder"), workspace.made.folder + QStringLiteral("/gone"));
    Global::GetDataFolder(QString(), true);
    host.expectBox(MsgAnswer::Ok, QStringLiteral("could not be accessed"));
    remote.newContact().setText(NewContactPanel::ContactName, QStringLiteral("Nobody"));
    remote.newContact().create();
    EXPECT_FALSE(remote.newContact().shown());
    EXPECT_EQ(picks, 0);
    EXPECT_FALSE(remote.refuseClose());
}
