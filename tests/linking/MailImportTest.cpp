// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/MailImport.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "converters/RtfReader.h"
#include "datafiles/EventFile.h"
#include "datafiles/PackedRecord.h"
#include "linking/FormSubmissions.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace Linking;

// Messages as mail programs save them: CR LF or LF line ends, encoded
// words, transfer encodings and charsets of several makers.
const char* const Multipart = "From: Jane <jane@example.org>\r\n"
                              "To: forms@shop.example\r\n"
                              "Subject: =?UTF-8?B?V2Vic2l0ZSBFbnF1aXJ5?=\r\n"
                              "Date: Tue, 01 Dec 2026 09:30:00 +0100\r\n"
                              "Message-ID: <alt-1@example.org>\r\n"
                              "MIME-Version: 1.0\r\n"
                              "Content-Type: multipart/alternative; boundary=\"b1\"\r\n"
                              "\r\n"
                              "--b1\r\n"
                              "Content-Type: text/plain; charset=UTF-8\r\n"
                              "Content-Transfer-Encoding: quoted-printable\r\n"
                              "\r\n"
                              "Name =3D Jos=C3=A9 Gda=C5=84ski\r\n"
                              "Email =3D jose@example.org\r\n"
                              "Comments =3D a long line that the sender's program wrapped =\r\n"
                              "softly\r\n"
                              "--b1\r\n"
                              "Content-Type: text/html; charset=UTF-8\r\n"
                              "\r\n"
                              "<p>Name = not this one</p>\r\n"
                              "--b1--\r\n";

const char* const Base64Latin1Subject = "From: shop@example.com\n"
                                        "Subject: =?ISO-8859-1?Q?Brochure_Request_=E0_la_carte?=\n"
                                        "Date: Wed, 02 Dec 2026 10:00:00 +0000\n"
                                        "Message-ID: <b64-1@example.com>\n"
                                        "Content-Type: text/plain; charset=utf-8\n"
                                        "Content-Transfer-Encoding: base64\n"
                                        "\n"
                                        // "Town: Zürich\r\nPostcode: 8001\r\n"
                                        "VG93bjogWsO8cmljaA0KUG9zdGNvZGU6IDgwMDENCg==\n";

const char* const Windows1252Body = "From: old@example.net\n"
                                    "Subject: Website Enquiry\n"
                                    "Date: Thu, 03 Dec 2026 11:00:00 +0000\n"
                                    "Message-ID: <cp-1@example.net>\n"
                                    "Content-Type: text/plain; charset=windows-1252\n"
                                    "Content-Transfer-Encoding: 8bit\n"
                                    "\n"
                                    "Budget = \x80"
                                    "250 \x93tops\x94\n";

// No Message-ID and no Date, and only HTML.
const char* const HtmlOnly = "From: web@example.org\r\n"
                             "Subject: Website Enquiry\r\n"
                             "Content-Type: text/html; charset=iso-8859-1\r\n"
                             "\r\n"
                             "<html><head><style>p { color: red }</style></head><body>\r\n"
                             "<p>Name = Ann &amp; Bob</p>\r\n"
                             "<div>Phone =\r\n   01234   567</div>Town = Caf\xe9<br>end\r\n"
                             "</body></html>\r\n";

QByteArray bytes(const char* text)
{
    return QByteArray(text);
}

class MailImport : public testing::Test
{
protected:
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QString folder = settings.folder() + QStringLiteral("/Job [3]");
    QList<MailOutcome> outcomes;

    MailImport()
    {
        QDir().mkpath(folder);
        define(QStringLiteral("a"), QStringLiteral("Website Enquiry"), QString());
        define(QStringLiteral("b"), QStringLiteral("Brochure Request à la carte"),
               QStringLiteral(": "));
    }

    void define(const QString& branch, const QString& name, const QString& delimiter)
    {
        const QString section = QStringLiteral("EMail\\FormSubmissions\\") + branch;
        settings.set(section, QStringLiteral("Name"), name);
        settings.set(section, QStringLiteral("Delimiter"), delimiter);
    }

    QString source(const QString& name, const QByteArray& content)
    {
        const QString path = settings.folder() + QLatin1Char('/') + name;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    MailImportSummary import(const QStringList& sources)
    {
        MailImporter importer(folder);
        importer.onMessage = [&](const MailOutcome& outcome) { outcomes << outcome; };
        for (const QString& path : sources)
            importer.importSource(path);
        return importer.summary();
    }

    QStringList eventFiles() const
    {
        return Platform::listEntries(folder, u"*.emi", Platform::EntryKind::Files);
    }

    ScanResult scan()
    {
        return scanJobFolder(folder, loadFormSubmissions()).value_or(ScanResult());
    }

    QString sample(const ScanResult& result, const char* field)
    {
        for (const FieldRow& row : result.rows) {
            if (row.fieldName == QString::fromUtf8(field))
                return row.sample;
        }
        return QStringLiteral("(no field)");
    }
};

TEST_F(MailImport, TheScanReadsTheFieldsThatTheMessagesCarry)
{
    const MailImportSummary summary =
        import({source(QStringLiteral("alt.eml"), bytes(Multipart)),
                source(QStringLiteral("b64.eml"), bytes(Base64Latin1Subject)),
                source(QStringLiteral("cp.eml"), bytes(Windows1252Body)),
                source(QStringLiteral("html.eml"), bytes(HtmlOnly))});
    EXPECT_EQ(summary.imported, 4);
    EXPECT_TRUE(summary.refused.isEmpty());
    ASSERT_EQ(outcomes.size(), 4);
    EXPECT_EQ(outcomes[1].subject, QStringLiteral("Brochure Request à la carte"));

    const ScanResult result = scan();
    EXPECT_EQ(result.files, 4);
    EXPECT_EQ(result.forms(), 4);
    EXPECT_TRUE(result.unknown.isEmpty()) << result.unknown.join(u',').toStdString();
    // The text part, not the HTML beside it; a character that Windows-1252
    // lacks comes through whole.
    EXPECT_EQ(sample(result, "Name"), QStringLiteral("José Gdański"));
    EXPECT_EQ(sample(result, "Comments"),
              QStringLiteral("a long line that the sender's program wrapped softly"));
    EXPECT_EQ(sample(result, "Town"), QStringLiteral("Zürich"));
    EXPECT_EQ(sample(result, "Postcode"), QStringLiteral("8001"));
    EXPECT_EQ(sample(result, "Budget"), QStringLiteral("€250 “tops”"));
    EXPECT_EQ(sample(result, "Phone"), QStringLiteral("01234 567"));
}

TEST_F(MailImport, AnHtmlOnlyMessageGivesItsLinesAsABrowserShowsThem)
{
    import({source(QStringLiteral("html.eml"), bytes(HtmlOnly))});
    const QStringList files = eventFiles();
    ASSERT_EQ(files.size(), 1);
    const DataFiles::EventRecord record =
        FileOperations::ReadEvent(folder + QLatin1Char('/') + files[0]);
    EXPECT_EQ(record.EntryFlagA, -1);
    EXPECT_EQ(record.EntryFlagB, -1);
    EXPECT_EQ(Routines_Converters::rtfToPlainText(record.Body),
              QStringLiteral("Name = Ann & Bob\r\n\r\nPhone = 01234 567\r\nTown = Café\r\nend"));
}

TEST_F(MailImport, AFileIsNamedAndDatedByItsMessageAndNotWrittenAgain)
{
    const QString eml = source(QStringLiteral("alt.eml"), bytes(Multipart));
    const QString html = source(QStringLiteral("html.eml"), bytes(HtmlOnly));
    const QDateTime saved(QDate(2026, 11, 5), QTime(8, 0), Qt::UTC);
    {
        QFile file(html);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(saved, QFileDevice::FileModificationTime));
    }
    import({eml, html});
    const QStringList files = eventFiles();
    ASSERT_EQ(files.size(), 2);
    // Its Date (09:30 at +0100), or its arrival where it has none.
    EXPECT_TRUE(files[0].startsWith(QLatin1String("EMI_20261105_080000_")))
        << files[0].toStdString();
    EXPECT_TRUE(files[1].startsWith(QLatin1String("EMI_20261201_083000_")))
        << files[1].toStdString();
    EXPECT_EQ(QFileInfo(folder + QLatin1Char('/') + files[1]).lastModified().toUTC(),
              QDateTime(QDate(2026, 12, 1), QTime(8, 30), Qt::UTC));

    // Again, and the HTML message saved once more (a new arrival): nothing new.
    {
        QFile file(html);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(saved.addDays(1), QFileDevice::FileModificationTime));
    }
    outcomes.clear();
    const MailImportSummary again = import({eml, html, eml});
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.existing, 3);
    EXPECT_EQ(eventFiles(), files);
}

TEST_F(MailImport, AnMboxIsSplitAtItsSeparatorsOnly)
{
    const QString mbox =
        source(QStringLiteral("inbox"), "From jane@example.org Tue Dec  1 08:30:00 2026\n"
                                        "Subject: Website Enquiry\n"
                                        "Message-ID: <m1@example.org>\n"
                                        "\n"
                                        "Name = Jane\n"
                                        ">From = the web page\n"
                                        ">>From the archive\n"
                                        "\n"
                                        "From bob@example.org Fri Dec  4 12:00:00 2026\n"
                                        "Subject: Website Enquiry\n"
                                        "\n"
                                        "Name = Bob\n");
    const MailImportSummary summary = import({mbox});
    EXPECT_EQ(summary.imported, 2);
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_EQ(outcomes[0].source, mbox + QStringLiteral("#1"));
    // The second has no Date: the separator's time is its arrival.
    EXPECT_TRUE(outcomes[1].file.startsWith(QLatin1String("EMI_20261204_120000_")));
    const DataFiles::EventRecord first =
        FileOperations::ReadEvent(folder + QLatin1Char('/') + outcomes[0].file);
    EXPECT_EQ(Routines_Converters::rtfToPlainText(first.Body),
              QStringLiteral("Name = Jane\r\nFrom = the web page\r\n>From the archive"));
    EXPECT_EQ(sample(scan(), "From"), QStringLiteral("the web page"));
}

TEST_F(MailImport, ADamagedMessageIsRefusedAndTheOthersGoOn)
{
    const QString maildir = settings.folder() + QStringLiteral("/Maildir");
    source(QStringLiteral("Maildir/cur/1700000000.1.host:2,S"), bytes(Multipart));
    source(QStringLiteral("Maildir/new/1700000001.2.host"), "\x01\x02 no header at all\x7f\n");
    source(QStringLiteral("Maildir/new/1700000002.3.host"), bytes(Windows1252Body));
    source(QStringLiteral("Maildir/new/.hidden"), bytes(HtmlOnly));
    const QString notMail = settings.folder() + QStringLiteral("/Other");
    QDir().mkpath(notMail);

    const MailImportSummary summary =
        import({maildir, notMail, settings.folder() + QStringLiteral("/missing.eml")});
    EXPECT_EQ(summary.imported, 2);
    ASSERT_EQ(summary.refused.size(), 3);
    EXPECT_EQ(summary.refused[0].source, maildir + QStringLiteral("/new/1700000001.2.host"));
    EXPECT_EQ(summary.refused[0].why, QStringLiteral("it is not a mail message"));
    EXPECT_EQ(summary.refused[1].source, notMail);
    EXPECT_TRUE(summary.refused[2].why.startsWith(QLatin1String("it cannot be read: ")));
    EXPECT_EQ(eventFiles().size(), 2);
    for (const QString& name : Platform::listEntries(folder, u"*", Platform::EntryKind::Files))
        EXPECT_TRUE(name.endsWith(QLatin1String(".emi"))) << name.toStdString();
}

// Files are named a batch at a time, yet each message keeps its own
// outcome in its own place: one whose file cannot be named is refused
// alone, and the next import writes it.
TEST_F(MailImport, AMessageWhoseFileCannotBeWrittenIsRefusedAloneInItsPlace)
{
    QByteArray content;
    for (int i = 1; i <= 3; ++i)
        content += "From web@example.org Tue Dec  1 08:30:00 2026\n"
                   "Subject: Website Enquiry\n"
                   "Message-ID: <m" +
                   QByteArray::number(i) + "@example.org>\n\nName = " + QByteArray::number(i) +
                   "\n\n";
    const QString mbox = source(QStringLiteral("inbox"), content);
    int links = 0;
    Platform::File::setFaultHook([&](const QString&, Platform::File::Operation operation) {
        return operation == Platform::File::Operation::Rename && ++links == 2 ? ENOSPC : 0;
    });
    const MailImportSummary summary = import({mbox});
    Platform::File::setFaultHook(nullptr);
    ASSERT_EQ(outcomes.size(), 3);
    EXPECT_EQ(outcomes[0].kind, MailOutcome::Imported);
    EXPECT_EQ(outcomes[1].kind, MailOutcome::Refused);
    EXPECT_EQ(outcomes[2].kind, MailOutcome::Imported);
    EXPECT_EQ(outcomes[1].source, mbox + QStringLiteral("#2"));
    EXPECT_TRUE(outcomes[1].why.startsWith(QLatin1String("its event file cannot be written: ")));
    EXPECT_EQ(summary.imported, 2);
    EXPECT_EQ(eventFiles().size(), 2);
    for (const QString& name : Platform::listEntries(folder, u"*", Platform::EntryKind::Files))
        EXPECT_TRUE(name.endsWith(QLatin1String(".emi"))) << name.toStdString();

    outcomes.clear();
    const MailImportSummary again = import({mbox});
    EXPECT_EQ(again.imported, 1);
    EXPECT_EQ(again.existing, 2);
    EXPECT_EQ(eventFiles().size(), 3);
}

TEST(MailBodyRtf, ABodyTooLongForAnEventFileKeepsItsFirstWholeLines)
{
    QStringList lines;
    for (int i = 0; i < 4000; ++i)
        lines << QStringLiteral("Line %1 = {value} \\ %1").arg(i);
    bool cut = false;
    const QString rtf = mailBodyRtf(lines.join(QLatin1String("\r\n")), &cut);
    EXPECT_TRUE(cut);
    EXPECT_LE(rtf.size(), DataFiles::MaxTextBytes);
    const QStringList back = Routines_Converters::rtfToPlainText(rtf).split(QLatin1String("\r\n"));
    ASSERT_GT(back.size(), 100);
    EXPECT_EQ(back, lines.mid(0, back.size()));

    mailBodyRtf(lines.mid(0, 10).join(QLatin1String("\r\n")), &cut);
    EXPECT_FALSE(cut);
}

} // namespace
