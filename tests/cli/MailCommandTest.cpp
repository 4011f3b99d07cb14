// SPDX-License-Identifier: GPL-3.0-or-later
// vantix mail import as a user runs it: a real process on a small demo
// workspace, whose first folder of the filing tree is the job folder.
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

const QByteArray Enquiry = "From: jane@example.org\n"
                           "Subject: =?UTF-8?Q?Website_Enquiry?=\n"
                           "Date: Tue, 01 Dec 2026 09:30:00 +0000\n"
                           "Message-ID: <cli-1@example.org>\n"
                           "\n"
                           "Name = Jane Doe\n"
                           "Telephone = 01234 567890\n";

class MailCommand : public Testing::DemoWorkspaceTest
{
protected:
    MailCommand() : DemoWorkspaceTest(5) {}
};

TEST_F(MailCommand, ImportsIntoAReferencedFolderOnceAndTheScanReadsIt)
{
    const QStringList import{QStringLiteral("mail"), QStringLiteral("import"), QStringLiteral("1"),
                             QStringLiteral("-"), QStringLiteral("--json")};
    EXPECT_EQ(json(import, 0, Enquiry), QJsonObject({{QStringLiteral("imported"), 1},
                                                     {QStringLiteral("existing"), 0},
                                                     {QStringLiteral("refused"), QJsonArray()}}));
    EXPECT_EQ(json(import, 0, Enquiry)[QStringLiteral("existing")], 1);

    QString folder;
    const QString filing = workspace + QStringLiteral("/Filing");
    for (const QString& name : QDir(filing).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name.endsWith(QLatin1String(" [1]")))
            folder = filing + QLatin1Char('/') + name;
    }
    ASSERT_EQ(QDir(folder).entryList({QStringLiteral("*.emi")}, QDir::Files).size(), 1);
    const QJsonObject scan = json({QStringLiteral("scan"), folder, QStringLiteral("--json")});
    // The scan takes the folder's reference as the import does.
    EXPECT_EQ(json({QStringLiteral("scan"), QStringLiteral("1"), QStringLiteral("--json")}), scan);
    EXPECT_EQ(scan[QStringLiteral("forms")], 1);
    EXPECT_EQ(
        scan[QStringLiteral("fields")],
        QJsonArray({QJsonObject{{QStringLiteral("name"), QStringLiteral("Name")},
                                {QStringLiteral("sample"), QStringLiteral("Jane Doe")}},
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("Telephone")},
                                {QStringLiteral("sample"), QStringLiteral("01234 567890")}}}));
}

TEST_F(MailCommand, ARefusedMessageIsNamedAndMakesTheStatusOne)
{
    const QString job = dir.filePath(QStringLiteral("job"));
    QDir().mkpath(job);
    const QString eml = dir.filePath(QStringLiteral("good.eml"));
    QFile out(eml);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(Enquiry);
    out.close();

    const Outcome r =
        run({QStringLiteral("mail"), QStringLiteral("import"), job, QStringLiteral("-"), eml},
            "\x01\x02 not a message\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("refused   -: it is not a mail message")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1 imported, 0 already there, 1 refused")));
    EXPECT_EQ(QDir(job).entryList(QDir::Files).size(), 1);

    // A reference that names no folder of the tree imports nowhere.
    const Outcome none =
        run({QStringLiteral("mail"), QStringLiteral("import"), QStringLiteral("999-9"), eml});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no job folder \"999-9\"")));
}

} // namespace
