// SPDX-License-Identifier: GPL-3.0-or-later
// vantix contacts import and export as a user runs them: real processes on a
// small demo workspace, with a task file of the test's own.
#include "DemoWorkspaceTest.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Testing::Outcome;

// Three address books' styles of one company's two people and a private
// person, and a card that cannot be read among them (line 23).
const char* const Cards =
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen;;Dr (M)\r\n"
    "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:J=FCrgen M=FCller\r\n"
    "ORG:Qzacme Ltd;Buying\r\n"
    "TITLE:Buyer\r\n"
    "TEL;WORK;VOICE:0113 496 0777\r\n"
    "TEL;CELL:07700 900777\r\n"
    "ADR;WORK;ENCODING=QUOTED-PRINTABLE:;Unit 4;Mill Road=0D=0A=\r\n"
    "Hunslet;Leeds;West Yorkshire;LS1 0NG;United Kingdom\r\n"
    "EMAIL;INTERNET:jm@qzacme.example\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "N:Bell;Ann;;Ms;\r\n"
    "FN:Ann Bell\r\n"
    "ORG:Qzacme Ltd\r\n"
    "item1.EMAIL;TYPE=INTERNET:ann@qzacme.example\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "FN:Broken Card\r\n"
    "TEL 0113\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:4.0\r\n"
    "FN:Bo Qzkim\r\n"
    "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+44-7700-900456\r\n"
    "ADR:;;1 Elm Way;York;;YO1 7HH;\r\n"
    "END:VCARD\r\n";

class ContactsCommand : public Testing::DemoWorkspaceTest
{
protected:
    ContactsCommand() : DemoWorkspaceTest(20) {}

    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    }

    QJsonObject import(const QString& path, int status, bool allowDuplicates = false)
    {
        QStringList args = {QStringLiteral("contacts"), QStringLiteral("import"), path,
                            QStringLiteral("--json")};
        if (allowDuplicates)
            args << QStringLiteral("--allow-duplicates");
        return json(args, status);
    }

    // The profiles of the folders an import made, by their path below the
    // New Contacts folder without the references.
    QMap<QString, QJsonValue> profiles(const QJsonObject& imported)
    {
        QMap<QString, QJsonValue> found;
        static const QRegularExpression refs(QStringLiteral(" \\[[0-9-]+\\]"));
        for (const QJsonValue made : imported[QStringLiteral("folders")].toArray()) {
            const QString folder = made[QStringLiteral("folder")].toString();
            const QString key =
                folder.section(QStringLiteral("/New Contacts ["), 1).section(u'/', 1).remove(refs);
            found.insert(key, json({QStringLiteral("dump"), folder + QStringLiteral("/Profile.pro"),
                                    QStringLiteral("--json")})[QStringLiteral("record")]);
        }
        return found;
    }
};

} // namespace

TEST_F(ContactsCommand, ImportedContactsAreFoundAndTheirExportImportsBackToTheSameProfiles)
{
    const QString cards = file(QStringLiteral("cards.vcf"), Cards);
    const QJsonObject imported = import(cards, 1);
    EXPECT_EQ(imported[QStringLiteral("imported")].toInt(), 3);
    EXPECT_EQ(imported[QStringLiteral("duplicates")].toInt(), 0);
    const QJsonArray refused = imported[QStringLiteral("refused")].toArray();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0][QStringLiteral("source")].toString(), cards + QStringLiteral(":23"));
    const QMap<QString, QJsonValue> made = profiles(imported);
    EXPECT_EQ(made.keys(), (QStringList{QStringLiteral("Bo Qzkim"), QStringLiteral("Qzacme Ltd"),
                                        QStringLiteral("Qzacme Ltd/Ann Bell"),
                                        QStringLiteral("Qzacme Ltd/Jürgen Müller")}));
    const QJsonObject juergen = made[QStringLiteral("Qzacme Ltd/Jürgen Müller")].toObject();
    EXPECT_EQ(juergen[QStringLiteral("Position")].toString(), QStringLiteral("Buyer"));
    EXPECT_EQ(juergen[QStringLiteral("Title")].toString(), QStringLiteral("Dr (M)"));
    EXPECT_EQ(juergen[QStringLiteral("addresses")][0][QStringLiteral("district")].toString(),
              QStringLiteral("Hunslet"));

    // The index was brought up to date: each is found.
    const QJsonArray folders = imported[QStringLiteral("folders")].toArray();
    EXPECT_EQ(found(QStringLiteral("Qzacme")),
              QStringList{folders[0][QStringLiteral("ref")].toString()});
    EXPECT_EQ(found(QStringLiteral("Qzkim")),
              QStringList{folders[3][QStringLiteral("ref")].toString()});

    // Again: each stands in the index now.
    const QJsonObject again = import(cards, 1);
    EXPECT_EQ(again[QStringLiteral("imported")].toInt(), 0);
    EXPECT_EQ(again[QStringLiteral("duplicates")].toInt(), 3);

    // The company with its people and the private person exported and
    // imported again give the same profiles, from vCard and from CSV.
    for (const char* format : {"--vcard", "--csv"}) {
        const Outcome exported = run({QStringLiteral("contacts"), QStringLiteral("export"),
                                      folders[0][QStringLiteral("ref")].toString(),
                                      folders[3][QStringLiteral("ref")].toString(),
                                      QStringLiteral("--children"), QString::fromUtf8(format)});
        ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
        const QString path =
            file(QStringLiteral("export") + QString::fromUtf8(format), exported.out.toUtf8());
        const QJsonObject back = import(path, 0, true);
        EXPECT_EQ(back[QStringLiteral("imported")].toInt(), 4) << format;
        EXPECT_EQ(profiles(back), made) << format;
    }

    const Outcome missing =
        run({QStringLiteral("contacts"), QStringLiteral("export"), QStringLiteral("99999")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("No folder has the reference \"99999\".")));
}
