// SPDX-License-Identifier: GPL-3.0-or-later
// vantix new-contact and vantix index tasks as a user runs them: real
// processes on a small demo workspace, with a task file of the test's own.
#include "DemoWorkspaceTest.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Testing::Outcome;

class NewContactCommand : public Testing::DemoWorkspaceTest
{
protected:
    NewContactCommand() : DemoWorkspaceTest(40) {}

    QJsonArray tasks()
    {
        return json({QStringLiteral("index"), QStringLiteral("tasks"), QStringLiteral("list"),
                     QStringLiteral("--json")})[QStringLiteral("tasks")]
            .toArray();
    }

    // A postcode of the demo that finds exactly one address.
    QString singlePostcode()
    {
        for (const QString& folder : QDir(workspace + QStringLiteral("/Filing"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            // The New Contacts folder has no profile.
            const QJsonObject profile =
                QJsonDocument::fromJson(run({QStringLiteral("dump"),
                                             workspace + QStringLiteral("/Filing/") + folder +
                                                 QStringLiteral("/Profile.pro"),
                                             QStringLiteral("--json")})
                                            .out.toUtf8())
                    .object();
            const QString postcode = profile[QStringLiteral("record")][QStringLiteral("addresses")]
                                         .toArray()
                                         .at(0)[QStringLiteral("postcode")]
                                         .toString();
            if (postcode.isEmpty())
                continue;
            const QJsonObject lookup = json({QStringLiteral("postcodes"), QStringLiteral("lookup"),
                                             postcode, QStringLiteral("--json")});
            if (lookup[QStringLiteral("matches")].toInt() == 1)
                return postcode;
        }
        ADD_FAILURE() << "no postcode of one address";
        return {};
    }

    QStringList newContacts() const
    {
        QDir filing(workspace + QStringLiteral("/Filing"));
        const QString folder =
            filing.entryList({QStringLiteral("New Contacts*")}, QDir::Dirs).value(0);
        return QDir(filing.filePath(folder)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }
};

} // namespace

TEST_F(NewContactCommand, ANewContactIsFoundByTheNextSearch)
{
    const QString postcode = singlePostcode();
    const QJsonObject made = json(
        {QStringLiteral("new-contact"), QStringLiteral("--company"),
         QStringLiteral("Zebedee: Quux?"), QStringLiteral("--name"), QStringLiteral("Quentin Zyx"),
         QStringLiteral("--title"), QStringLiteral("Dr (M)"), QStringLiteral("--postcode"),
         postcode, QStringLiteral("--lookup"), QStringLiteral("--number"),
         QStringLiteral("0113 496 0999:1"), QStringLiteral("--number"),
         QStringLiteral("q@zebedee.example:4"), QStringLiteral("--json")});
    const QString company = made[QStringLiteral("company")].toString();
    const QString contact = made[QStringLiteral("contact")].toString();
    ASSERT_FALSE(company.isEmpty());
    EXPECT_EQ(contact, company + QStringLiteral("-1"));
    const QJsonArray folders = made[QStringLiteral("folders")].toArray();
    ASSERT_EQ(folders.size(), 2);
    EXPECT_TRUE(folders[0].toString().endsWith(QStringLiteral("/Zebedee; Quux- [") + company +
                                               QStringLiteral("]")));
    EXPECT_EQ(folders[1].toString(),
              folders[0].toString() + QStringLiteral("/Quentin Zyx [") + contact + u']');

    // The tasks were carried out at once: every index finds them.
    EXPECT_TRUE(tasks().isEmpty());
    EXPECT_EQ(found(QStringLiteral("Zyx")), QStringList{contact});
    EXPECT_EQ(found(QStringLiteral("Zebedee")), QStringList{company});
    EXPECT_TRUE(found(postcode).contains(contact));
    EXPECT_EQ(found(QStringLiteral("0113 496 0999")), QStringList{contact});

    // The profile holds the looked-up address under its names.
    const QJsonObject profile =
        json({QStringLiteral("dump"), folders[1].toString() + QStringLiteral("/Profile.pro"),
              QStringLiteral("--json")})[QStringLiteral("record")]
            .toObject();
    EXPECT_EQ(profile[QStringLiteral("FullName")].toString(), QStringLiteral("Quentin Zyx"));
    EXPECT_EQ(profile[QStringLiteral("Title")].toString(), QStringLiteral("Dr (M)"));
    EXPECT_EQ(profile[QStringLiteral("Dear")].toString(), QStringLiteral("Dr Zyx"));
    const QJsonObject address = profile[QStringLiteral("addresses")].toArray()[0].toObject();
    EXPECT_EQ(address[QStringLiteral("postcode")].toString(), postcode);
    EXPECT_FALSE(address[QStringLiteral("town")].toString().isEmpty());
}

TEST_F(NewContactCommand, TasksWaitWhenTheSettingIsOffUntilTheyAreRun)
{
    ASSERT_EQ(run({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("Config"),
                   QStringLiteral("IndexNewFoldersAtOnce"), QStringLiteral("0")})
                  .status,
              0);
    const Outcome made =
        run({QStringLiteral("new-contact"), QStringLiteral("--name"), QStringLiteral("Solo Qwerty"),
             QStringLiteral("--postcode"), QStringLiteral("ZZ9 9ZZ")});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    const QString ref = made.out.section(u'\t', 0, 0);
    const QJsonArray queued = tasks();
    ASSERT_EQ(queued.size(), 1);
    EXPECT_EQ(queued[0][QStringLiteral("Action")].toInt(), 1);
    EXPECT_EQ(queued[0][QStringLiteral("Ref")].toString(), ref);
    EXPECT_EQ(queued[0][QStringLiteral("Kind")].toInt(), 4);
    EXPECT_TRUE(found(QStringLiteral("Qwerty")).isEmpty());

    const Outcome done =
        run({QStringLiteral("index"), QStringLiteral("tasks"), QStringLiteral("run")});
    EXPECT_EQ(done.status, 0) << done.err.toStdString();
    EXPECT_EQ(done.out, QStringLiteral("1 outstanding index task(s) done.\n"));
    EXPECT_EQ(found(QStringLiteral("Qwerty")), QStringList{ref});
    EXPECT_EQ(found(QStringLiteral("ZZ9 9ZZ")), QStringList{ref});
    EXPECT_TRUE(tasks().isEmpty());
}

TEST_F(NewContactCommand, WrongUsageAndALookUpWithoutOneAddressMakeNothing)
{
    const struct
    {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{}, 2, "Enter a company name or a contact name"},
        {{QStringLiteral("--name"), QStringLiteral("A"), QStringLiteral("--number"),
          QStringLiteral("1:7")},
         2,
         "no number type 7"},
        {{QStringLiteral("--name"), QStringLiteral("A"), QStringLiteral("--lookup")},
         2,
         "--lookup needs --postcode"},
        {{QStringLiteral("--name"), QStringLiteral("A"), QStringLiteral("--postcode"),
          QStringLiteral("ZZ9 9ZZ"), QStringLiteral("--lookup")},
         1,
         "no address found for the postcode"},
        // Nothing but control characters is no name.
        {{QStringLiteral("--name"), QStringLiteral("\x01\n")},
         2,
         "Enter a company name or a contact name"},
        // A line longer than a text field holds is refused, not cut.
        {{QStringLiteral("--name"), QStringLiteral("A"), QStringLiteral("--address"),
          QString(65536, u'a')},
         1,
         "The text of \"Building\" is too long"},
        {{QStringLiteral("--name"), QStringLiteral("A"), QStringLiteral("--address"),
          QStringLiteral("1"), QStringLiteral("--address"), QStringLiteral("2"),
          QStringLiteral("--address"), QStringLiteral("3"), QStringLiteral("--address"),
          QStringLiteral("4"), QStringLiteral("--address"), QStringLiteral("5"),
          QStringLiteral("--address"), QStringLiteral("6")},
         2,
         "at most five --address lines"},
    };
    for (const auto& c : cases) {
        const Outcome r = run(QStringList{QStringLiteral("new-contact")} + c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
    EXPECT_TRUE(newContacts().isEmpty());
}

// A name in a script that the suite's files lack is saved, named and indexed
// as one text, and the user is told what it became; a line break in a name
// cannot split the one line of its folder.
TEST_F(NewContactCommand, NamesInAnyScriptAreSavedAsTheyAreIndexed)
{
    const Outcome made =
        run({QStringLiteral("new-contact"), QStringLiteral("--company"),
             QStringLiteral("Ωmega Ltd"), QStringLiteral("--name"), QStringLiteral("Zoë\nZhang")});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_EQ(made.err, QStringLiteral("vantix: \"Ωmega Ltd\" is saved as \"Omega Ltd\": the "
                                       "files of Vantix cannot hold some of its characters.\n"));
    const QStringList lines = made.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << made.out.toStdString();
    const QString company = lines[0].section(u'\t', 0, 0);
    const QString contact = lines[1].section(u'\t', 0, 0);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("/Omega Ltd [") + company + u']'));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("/Omega Ltd [") + company +
                                  QStringLiteral("]/Zoë Zhang [") + contact + u']'));
    EXPECT_TRUE(tasks().isEmpty());
    EXPECT_EQ(found(QStringLiteral("Omega")), QStringList{company});
    EXPECT_EQ(found(QStringLiteral("Zhang")), QStringList{contact});
}

// A damaged postal address file is told as damage, not as a postcode
// without an address.
TEST_F(NewContactCommand, ALookUpInADamagedFileSaysSo)
{
    const QString file = workspace + QStringLiteral("/RADs/UKPAF.BIN");
    QFile bytes(file);
    ASSERT_TRUE(bytes.open(QIODevice::ReadWrite));
    ASSERT_TRUE(bytes.resize(2300));
    bytes.close();
    const Outcome r =
        run({QStringLiteral("new-contact"), QStringLiteral("--name"), QStringLiteral("A"),
             QStringLiteral("--postcode"), QStringLiteral("LS1 0NG"), QStringLiteral("--lookup")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("vantix: The postal address file\n\"") + file +
                               QStringLiteral("\"\nis damaged (")))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("no address found")));
    EXPECT_TRUE(newContacts().isEmpty());
}
