// SPDX-License-Identifier: GPL-3.0-or-later
// vantix scan, tags, link and unlink as a user runs them: real processes on
// a real hive, job folders written by the suite's own event writer.
#include "FormMail.h"
#include "VantixProcess.h"
#include "platform/RegistryHive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Testing::Outcome;

class LinkingCommands : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString job = dir.filePath(QStringLiteral("Job [1-2]"));

    // The commands that only read refuse a hive that does not exist.
    LinkingCommands()
    {
        QDir().mkpath(job);
        Platform::RegistryHive::open(dir.filePath(QStringLiteral("hive")));
    }

    Outcome run(const QStringList& args)
    {
        return runOn(dir.filePath(QStringLiteral("hive")), args);
    }

    Outcome runOn(const QString& hive, const QStringList& args)
    {
        return Testing::runVantix(QStringList{QStringLiteral("--registry"), hive} + args);
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    }

    QJsonObject json(const QStringList& args)
    {
        const Outcome r = run(args + QStringList{QStringLiteral("--json")});
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        return document.object();
    }

    void define(const char* branch, const char* name, const char* delimiter)
    {
        const QString section = QStringLiteral("EMail\\FormSubmissions\\") + QLatin1String(branch);
        run({QStringLiteral("settings"), QStringLiteral("set"), section, QStringLiteral("Name"),
             QLatin1String(name)});
        run({QStringLiteral("settings"), QStringLiteral("set"), section,
             QStringLiteral("Delimiter"), QLatin1String(delimiter)});
    }
};

QJsonArray array(std::initializer_list<QJsonValue> values)
{
    return QJsonArray(values);
}

QJsonObject field(const char* name, const QString& sample)
{
    return {{QStringLiteral("name"), QLatin1String(name)}, {QStringLiteral("sample"), sample}};
}

TEST_F(LinkingCommands, ScanCountsAndListsAsTheWindowDoes)
{
    define("Form1", "Website Enquiry", " =");
    define("Form2", "Quote", "=");
    using Fixtures::writeMail;
    writeMail(job, QStringLiteral("b.emi"), QStringLiteral("Quote"),
              QStringList{QStringLiteral("qty=5"), QStringLiteral("Name=Late")});
    writeMail(job, QStringLiteral("A.EMI"), QStringLiteral("WEBSITE ENQUIRY"),
              QStringList{QStringLiteral("Name = Ann \"Jo\" Smith"),
                          QStringLiteral("Note = caf\u00e9 \\ {x}")});
    writeMail(job, QStringLiteral("c.emi"), QStringLiteral("Newsletter"),
              QStringList{QStringLiteral("Email = x")});
    // Not a form submission unless both entry flags are set.
    writeMail(job, QStringLiteral("d.emi"), QStringLiteral("Quote"),
              QStringList{QStringLiteral("Off=1")}, {.a = false, .b = true});
    writeMail(job, QStringLiteral("e.emi"), QStringLiteral("Quote"),
              QStringList{QStringLiteral("Off=2")}, {.a = true, .b = false});

    const QJsonObject result = json({QStringLiteral("scan"), job});
    EXPECT_EQ(result[u"files"].toInt(), 5);
    EXPECT_EQ(result[u"forms"].toInt(), 3);
    EXPECT_EQ(result[u"fields"].toArray(), array({field("Name", QStringLiteral("Ann \"Jo\" Smith")),
                                                  field("Note", QStringLiteral("caf\u00e9 \\ {x}")),
                                                  field("qty", QStringLiteral("5"))}));
    EXPECT_EQ(result[u"unknown"].toArray(), array({QStringLiteral("Newsletter")}));

    const Outcome table = run({QStringLiteral("scan"), job});
    EXPECT_EQ(table.status, 0) << table.err.toStdString();
    EXPECT_TRUE(table.out.startsWith(
        u"This folder contains 5 email(s) of which 3 are form submissions.\n"));
    EXPECT_TRUE(table.out.contains(u"\nqty    5\n")) << table.out.toStdString();
    EXPECT_TRUE(table.out.contains(u"\n  Newsletter\n"));
    EXPECT_TRUE(table.err.isEmpty()) << table.err.toStdString();
}

TEST_F(LinkingCommands, ScanOfEmptyDamagedAndMissingFolders)
{
    const QJsonObject empty = json({QStringLiteral("scan"), job});
    EXPECT_EQ(empty[u"files"].toInt(), 0);
    EXPECT_EQ(empty[u"fields"].toArray(), QJsonArray());
    EXPECT_EQ(empty[u"unknown"].toArray(), QJsonArray());
    EXPECT_TRUE(run({QStringLiteral("scan"), job}).out.contains(u"No form submissions found."));

    // A damaged e-mail is named and the scan goes on.
    file(QStringLiteral("Job [1-2]/bad.emi"), "Zux Evenx and then nothing useful");
    const Outcome damaged = run({QStringLiteral("scan"), job, QStringLiteral("--json")});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.contains(u"bad.emi")) << damaged.err.toStdString();
    EXPECT_TRUE(damaged.out.contains(u"\"files\": 1,")) << damaged.out.toStdString();

    const Outcome missing = run({QStringLiteral("scan"), dir.filePath(QStringLiteral("gone"))});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(u"gone")) << missing.err.toStdString();
}

// The road from an unknown form to its fields: the scan suggests, forms add
// defines, the next scan reads.
TEST_F(LinkingCommands, FormsDefinedFromWhatTheScanSuggests)
{
    using Fixtures::writeMail;
    writeMail(job, QStringLiteral("a.emi"), QStringLiteral("Quote Request"),
              QStringList{QStringLiteral("Name: Ann"), QStringLiteral("Qty: 2")});
    writeMail(job, QStringLiteral("b.emi"), QStringLiteral("QUOTE REQUEST"),
              QStringList{QStringLiteral("Name: Bob"), QStringLiteral("Time: 10:30")});
    const QJsonObject unknown = json({QStringLiteral("scan"), job});
    EXPECT_EQ(unknown[u"unknownForms"].toArray(),
              array({QJsonObject{{QStringLiteral("subject"), QStringLiteral("Quote Request")},
                                 {QStringLiteral("count"), 2},
                                 {QStringLiteral("delimiter"), QStringLiteral(": ")}}}));
    EXPECT_TRUE(run({QStringLiteral("scan"), job})
                    .out.contains(u"\n  vantix forms add 'Quote Request' --delimiter ': '\n"));

    const Outcome added =
        run({QStringLiteral("forms"), QStringLiteral("add"), QStringLiteral("Quote Request"),
             QStringLiteral("--delimiter"), QStringLiteral(": ")});
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
    const QJsonObject known = json({QStringLiteral("scan"), job});
    EXPECT_EQ(known[u"fields"].toArray(),
              array({field("Name", QStringLiteral("Ann")), field("Qty", QStringLiteral("2")),
                     field("Time", QStringLiteral("10:30"))}));
    EXPECT_EQ(known[u"unknownForms"].toArray(), QJsonArray());

    // Added again in another case: the one definition is updated.
    EXPECT_TRUE(
        run({QStringLiteral("forms"), QStringLiteral("add"), QStringLiteral("quote request"),
             QStringLiteral("--fields"), QStringLiteral("Name,Qty")})
            .out.startsWith(u"Updated"));
    EXPECT_EQ(json({QStringLiteral("forms"), QStringLiteral("list")})[u"forms"].toArray(),
              array({QJsonObject{{QStringLiteral("branch"), QStringLiteral("Form1")},
                                 {QStringLiteral("name"), QStringLiteral("quote request")},
                                 {QStringLiteral("delimiter"), QStringLiteral(": ")},
                                 {QStringLiteral("fields"), QStringLiteral("Name,Qty")}}}));
    EXPECT_EQ(run({QStringLiteral("forms"), QStringLiteral("list")}).out,
              QStringLiteral("quote request\t\": \"\tName,Qty\n"));

    EXPECT_EQ(
        run({QStringLiteral("forms"), QStringLiteral("remove"), QStringLiteral("QUOTE Request")})
            .status,
        0);
    const Outcome again =
        run({QStringLiteral("forms"), QStringLiteral("remove"), QStringLiteral("Quote Request")});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(u"no form is called 'Quote Request'"))
        << again.err.toStdString();
    EXPECT_EQ(json({QStringLiteral("forms"), QStringLiteral("list")})[u"forms"].toArray(),
              QJsonArray());

    const QStringList wrong[] = {
        {QStringLiteral("forms")},
        {QStringLiteral("forms"), QStringLiteral("rename"), QStringLiteral("x")},
        {QStringLiteral("forms"), QStringLiteral("add")},
        {QStringLiteral("forms"), QStringLiteral("add"), QString()},
        {QStringLiteral("forms"), QStringLiteral("add"), QStringLiteral("x"),
         QStringLiteral("--delimiter"), QString()},
        {QStringLiteral("forms"), QStringLiteral("remove"), QStringLiteral("x"),
         QStringLiteral("--fields"), QStringLiteral("y")},
        {QStringLiteral("forms"), QStringLiteral("list"), QStringLiteral("x")},
    };
    for (const QStringList& args : wrong) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage:")) << r.err.toStdString();
    }
    EXPECT_EQ(run({QStringLiteral("forms"), QStringLiteral("--help")}).status, 0);
}

TEST_F(LinkingCommands, TagsWithTheirLinesAndFields)
{
    const QString page = file(QStringLiteral("my-page.htm"),
                              "<html>\r\n<!-- Name -->\n<p>\r<!-- two\r\nlines --> <!-->\r\n"
                              "<!-- caf\xc3\xa9 --><!-- not closed");
    const QString tagName = QStringLiteral("<!-- Name -->");
    EXPECT_EQ(run({QStringLiteral("link"), page, tagName, QStringLiteral("Name")}).status, 0);

    const QJsonObject listed = json({QStringLiteral("tags"), page});
    EXPECT_EQ(listed[u"key"].toString(), QStringLiteral("MYPAGEHTM"));
    auto tag = [](const QString& text, int line, const char* linked) {
        return QJsonObject{{QStringLiteral("tag"), text},
                           {QStringLiteral("line"), line},
                           {QStringLiteral("field"), QLatin1String(linked)},
                           {QStringLiteral("state"), *linked ? "linked" : "unlinked"}};
    };
    EXPECT_EQ(listed[u"tags"].toArray(),
              array({tag(tagName, 2, "Name"), tag(QStringLiteral("<!-- two\r\nlines -->"), 4, ""),
                     tag(QStringLiteral("<!-->"), 5, ""),
                     tag(QStringLiteral("<!-- caf\u00e9 -->"), 6, "")}));

    const Outcome plain = run({QStringLiteral("tags"), page});
    EXPECT_EQ(plain.status, 0);
    EXPECT_TRUE(plain.out.contains(u"     2  Name   <!-- Name -->\n")) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.contains(u"     5  *      <!-->\n"));
    EXPECT_TRUE(plain.out.contains(u"4 tags: 1 linked, 3 not linked, 0 linked to a missing field"));

    // A "\\" in the name does not part the key into branches.
    const QString slashed = file(QStringLiteral("a\\b.htm"), "<!-- Name -->");
    EXPECT_EQ(json({QStringLiteral("tags"), slashed})[u"key"].toString(), QStringLiteral("ABHTM"));
    EXPECT_EQ(run({QStringLiteral("link"), slashed, tagName, QStringLiteral("Name")}).status, 0);
    EXPECT_EQ(run({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Tagmill"),
                   QStringLiteral("BRANCHES")})
                  .out,
              QStringLiteral("002\nABHTM\nMYPAGEHTM\n"));

    // A document of the same name elsewhere shares the links.
    QDir().mkpath(dir.filePath(QStringLiteral("other")));
    const QString other = file(QStringLiteral("other/MY PAGE.HTM"), "<!-- Name -->");
    EXPECT_EQ(json({QStringLiteral("tags"), other})[u"tags"].toArray()[0].toObject()[u"field"],
              QStringLiteral("Name"));

    // A name without "." is keyed whole.
    const QString bare = file(QStringLiteral("mypage"), "<!-- Name -->");
    const Outcome linked = run({QStringLiteral("link"), bare, tagName, QStringLiteral("Email")});
    EXPECT_EQ(linked.status, 0) << linked.err.toStdString();
    const QJsonObject bareTags = json({QStringLiteral("tags"), bare});
    EXPECT_EQ(bareTags[u"key"].toString(), QStringLiteral("MYPAGE"));
    EXPECT_EQ(bareTags[u"tags"].toArray()[0].toObject()[u"field"], QStringLiteral("Email"));
}

TEST_F(LinkingCommands, LinkRefusesAnotherFieldUnlessToldToReplace)
{
    const QString page = file(QStringLiteral("index.htm"), "<!-- A --> <!-- B -->");
    const QString a = QStringLiteral("<!-- A -->");
    auto stored = [&](const QString& tag) {
        return run({QStringLiteral("settings"), QStringLiteral("get"),
                    QStringLiteral("Tagmill\\INDEXHTM"), tag})
            .out;
    };
    EXPECT_EQ(run({QStringLiteral("link"), page, a, QStringLiteral("Name")}).status, 0);
    EXPECT_EQ(run({QStringLiteral("link"), page, a, QStringLiteral("Name")}).status, 0);

    const Outcome refused = run({QStringLiteral("link"), page, a, QStringLiteral("Email")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(
        u"The tag '<!-- A -->' is already linked to the 'Name' field, and you cannot link the "
        u"same tag to two different fields.\n\nDo you want to delete the link to 'Name' and "
        u"establish a new link to 'Email'?"))
        << refused.err.toStdString();
    EXPECT_EQ(stored(a), QStringLiteral("Name\n"));

    EXPECT_EQ(
        run({QStringLiteral("link"), page, a, QStringLiteral("Email"), QStringLiteral("--replace")})
            .status,
        0);
    EXPECT_EQ(stored(a), QStringLiteral("Email\n"));

    // Another tag may name the same field; unlinking one leaves the other.
    const QString b = QStringLiteral("<!-- B -->");
    EXPECT_EQ(run({QStringLiteral("link"), page, b, QStringLiteral("Email")}).status, 0);
    EXPECT_EQ(run({QStringLiteral("unlink"), page, a}).status, 0);
    EXPECT_EQ(run({QStringLiteral("unlink"), page, a}).status, 0);
    EXPECT_EQ(stored(a), QString());
    EXPECT_EQ(stored(b), QStringLiteral("Email\n"));

    // Tags that differ only in case are one tag to the settings: the other
    // spelling is refused too, and --replace keeps it as written.
    const QString upper = QStringLiteral("<!-- b -->");
    const Outcome other = run({QStringLiteral("link"), page, upper, QStringLiteral("Name")});
    EXPECT_EQ(other.status, 1);
    EXPECT_TRUE(other.err.contains(u"The tag '<!-- b -->' is already linked to the 'Email' field"))
        << other.err.toStdString();
    EXPECT_EQ(run({QStringLiteral("link"), page, upper, QStringLiteral("Name"),
                   QStringLiteral("--replace")})
                  .status,
              0);
    const QString exported = run({QStringLiteral("settings"), QStringLiteral("export"),
                                  QStringLiteral("Tagmill\\INDEXHTM")})
                                 .out;
    EXPECT_TRUE(exported.contains(u"\"<!-- b -->\"=\"Name\"")) << exported.toStdString();
    EXPECT_FALSE(exported.contains(b)) << exported.toStdString();

    // A tag the document lacks is linked with a note.
    const Outcome absent =
        run({QStringLiteral("link"), page, QStringLiteral("<!-- C -->"), QStringLiteral("X")});
    EXPECT_EQ(absent.status, 0);
    EXPECT_TRUE(absent.err.contains(u"does not hold")) << absent.err.toStdString();
}

TEST_F(LinkingCommands, BadDocumentsAndArgumentsGetClearMessages)
{
    const QString longTag = QStringLiteral("<!-- ") + QString(2000, u'x') + QStringLiteral(" -->");
    const QString big = file(QStringLiteral("big.htm"), longTag.toUtf8());
    EXPECT_EQ(run({QStringLiteral("link"), big, longTag, QStringLiteral("Field")}).status, 0);
    EXPECT_EQ(json({QStringLiteral("tags"), big})[u"tags"].toArray()[0].toObject()[u"field"],
              QStringLiteral("Field"));

    const QString empty = file(QStringLiteral("empty.htm"), QByteArray());
    const Outcome none = run({QStringLiteral("tags"), empty});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.contains(u"No comment tags")) << none.out.toStdString();

    const QString binary =
        file(QStringLiteral("image.htm"), QByteArray("\x89PNG\r\n\x1a\n\0\0<!--\xff-->", 18));
    // A picture is no document: refused with the window's message.
    for (const QStringList& args :
         {QStringList{QStringLiteral("tags"), binary},
          QStringList{QStringLiteral("fill"), binary, QStringLiteral("--folder"), job}}) {
        const Outcome odd = run(args);
        EXPECT_EQ(odd.status, 1) << args[0].toStdString();
        EXPECT_TRUE(odd.err.contains(QStringLiteral("Warning!: The file \"") + binary +
                                     QStringLiteral("\" is not a text document")))
            << odd.err.toStdString();
        EXPECT_TRUE(odd.out.isEmpty());
    }

    for (const QString& path : {dir.filePath(QStringLiteral("missing.htm")), dir.path()}) {
        const Outcome r = run({QStringLiteral("tags"), path});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(path)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // A name that gives no key: the program's message, for link as for unlink.
    const QString noKey = file(QStringLiteral("-\\-."), "<!-- x -->");
    for (const char* command : {"link", "unlink"}) {
        QStringList args{QLatin1String(command), noKey, QStringLiteral("<!-- x -->")};
        if (args[0] == u"link")
            args << QStringLiteral("Name");
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_TRUE(r.err.contains(u"Warning!: The document '-\\-.' cannot have links"))
            << r.err.toStdString();
    }
    EXPECT_TRUE(run({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Tagmill"),
                     QStringLiteral("ALLSUBKEYS")})
                    .out.startsWith(u"000"));

    const QStringList wrong[] = {
        {QStringLiteral("scan")},
        {QStringLiteral("scan"), job, QStringLiteral("--xml")},
        {QStringLiteral("tags")},
        {QStringLiteral("tags"), big, big},
        {QStringLiteral("link"), big, longTag},
        {QStringLiteral("link"), big, QStringLiteral("Name"), QStringLiteral("Name")},
        {QStringLiteral("link"), big, longTag, QString()},
        {QStringLiteral("unlink"), big},
        {QStringLiteral("unlink"), big, QStringLiteral("<!-- x")},
    };
    for (const QStringList& args : wrong) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage:")) << r.err.toStdString();
    }
    for (const char* command : {"scan", "tags", "link", "unlink"})
        EXPECT_EQ(run({QLatin1String(command), QStringLiteral("--help")}).status, 0) << command;
}

} // namespace

namespace {

QStringList listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A demo reply page filled from a form e-mail of ours: the page's bytes with
// each linked tag replaced by hand, the values escaped, and nothing written
// beside the page or in the folder.
TEST_F(LinkingCommands, FillGivesThePageAsAFormE_mailFillsIt)
{
    const QString workspace = dir.filePath(QStringLiteral("demo"));
    ASSERT_EQ(run({QStringLiteral("demo"), workspace}).status, 0);
    const QString hive = workspace + QStringLiteral("/registry.sqlite3");
    const QString page = workspace + QStringLiteral("/Templates/Website Enquiry.htm");
    Fixtures::writeMail(job, QStringLiteral("old.emi"), QStringLiteral("Website Enquiry"),
                        QStringList{QStringLiteral("Name = Old")});
    QFile(job + QStringLiteral("/old.emi"))
        .setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
    Fixtures::writeMail(job, QStringLiteral("new.emi"), QStringLiteral("website enquiry"),
                        QStringList{QStringLiteral("Name = A <b> & \"Sons\""),
                                    QStringLiteral("Telephone = 0113 496 0000")});
    for (const auto& [tag, field] :
         {std::pair{"<!-- Name -->", "Name"}, std::pair{"<!-- Telephone -->", "Telephone"},
          std::pair{"<!-- Company -->", "Company"}})
        ASSERT_EQ(
            runOn(hive, {QStringLiteral("link"), page, QLatin1String(tag), QLatin1String(field)})
                .status,
            0);
    QFile original(page);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray expected = original.readAll();
    ASSERT_TRUE(expected.contains("<!-- Name -->"));
    expected.replace("<!-- Name -->", "A &lt;b&gt; &amp; &quot;Sons&quot;")
        .replace("<!-- Telephone -->", "0113 496 0000");
    const QStringList pagesBefore = listing(workspace + QStringLiteral("/Templates"));
    const QStringList mailsBefore = listing(job);

    const Outcome fill =
        runOn(hive, {QStringLiteral("fill"), page, QStringLiteral("--folder"), job});
    EXPECT_EQ(fill.status, 0) << fill.err.toStdString();
    EXPECT_EQ(fill.bytes, expected);

    QJsonObject shown;
    {
        const Outcome r = runOn(hive, {QStringLiteral("fill"), page, QStringLiteral("--folder"),
                                       job, QStringLiteral("--email"), QStringLiteral("OLD.emi"),
                                       QStringLiteral("--json")});
        shown = QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
    EXPECT_EQ(shown[u"email"].toString(), QStringLiteral("old.emi"));
    EXPECT_EQ(shown[u"filled"].toArray().size(), 1);
    EXPECT_EQ(shown[u"missing"].toArray().size(), 2); // Telephone and Company
    EXPECT_FALSE(shown[u"unlinked"].toArray().isEmpty());

    // Each tag's state against the folder: Company is in none of its forms.
    const Outcome tags = runOn(hive, {QStringLiteral("tags"), page, QStringLiteral("--folder"), job,
                                      QStringLiteral("--json")});
    const QJsonArray states = QJsonDocument::fromJson(tags.out.toUtf8())[u"tags"].toArray();
    QHash<QString, QString> stateOf;
    for (const QJsonValue& tag : states)
        stateOf.insert(tag[u"tag"].toString(), tag[u"state"].toString());
    EXPECT_EQ(stateOf.value(QStringLiteral("<!-- Name -->")), QStringLiteral("linked"));
    EXPECT_EQ(stateOf.value(QStringLiteral("<!-- Company -->")), QStringLiteral("missing-field"));
    EXPECT_EQ(stateOf.value(QStringLiteral("<!-- Email -->")), QStringLiteral("unlinked"));

    const Outcome beyond = runOn(hive, {QStringLiteral("fill"), page, QStringLiteral("--folder"),
                                        job, QStringLiteral("--email"), QStringLiteral("3")});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_TRUE(beyond.err.contains(u"2 form e-mail(s)")) << beyond.err.toStdString();
    EXPECT_EQ(listing(workspace + QStringLiteral("/Templates")), pagesBefore);
    EXPECT_EQ(listing(job), mailsBefore);
}

// fill --all: a page from each form e-mail in the mode's Mail-Merged folder,
// each printed; run again, the pages there are named and left alone until
// --force replaces them.
TEST_F(LinkingCommands, FillAllSavesAPageForEachFormE_mail)
{
    const QString workspace = dir.filePath(QStringLiteral("demo"));
    ASSERT_EQ(run({QStringLiteral("demo"), workspace}).status, 0);
    const QString hive = workspace + QStringLiteral("/registry.sqlite3");
    const QString page = workspace + QStringLiteral("/Templates/Website Enquiry.htm");
    ASSERT_EQ(runOn(hive, {QStringLiteral("link"), page, QStringLiteral("<!-- Name -->"),
                           QStringLiteral("Name")})
                  .status,
              0);
    for (const char* name : {"EMI_A.emi", "EMI_B.emi"})
        Fixtures::writeMail(job, QLatin1String(name), QStringLiteral("Website Enquiry"),
                            QStringList{QStringLiteral("Name = ") + QLatin1String(name)});
    const QString merged = workspace + QStringLiteral("/Mail-Merged/");
    const QStringList pages{merged + QStringLiteral("EMI_A (Website Enquiry).htm"),
                            merged + QStringLiteral("EMI_B (Website Enquiry).htm")};
    const QStringList fillAll{QStringLiteral("fill"), page, QStringLiteral("--folder"), job,
                              QStringLiteral("--all")};

    const Outcome first = runOn(hive, fillAll);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    QStringList printed = first.out.split(u'\n', Qt::SkipEmptyParts);
    printed.sort();
    EXPECT_EQ(printed, pages);
    QFile a(pages[0]);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    const QByteArray filled = a.readAll();
    EXPECT_TRUE(filled.contains("EMI_A.emi") && !filled.contains("<!-- Name -->"));

    QFile(pages[1]).resize(0);
    const Outcome again = runOn(hive, fillAll);
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.isEmpty()) << again.out.toStdString();
    EXPECT_TRUE(again.err.contains(QStringLiteral("left alone, it is there already: ") + pages[1]))
        << again.err.toStdString();
    EXPECT_EQ(QFileInfo(pages[1]).size(), 0);

    const QString out = dir.filePath(QStringLiteral("out/pages"));
    const Outcome elsewhere = runOn(hive, fillAll + QStringList{QStringLiteral("--out"), out});
    EXPECT_EQ(elsewhere.out.count(u'\n'), 2) << elsewhere.err.toStdString();
    EXPECT_EQ(listing(out).size(), 2);

    const Outcome forced = runOn(hive, fillAll + QStringList{QStringLiteral("--force")});
    EXPECT_EQ(forced.out.count(u'\n'), 2);
    EXPECT_GT(QFileInfo(pages[1]).size(), 0);

    for (const QStringList& extra :
         {QStringList{QStringLiteral("--email"), QStringLiteral("1")},
          QStringList{QStringLiteral("--json")}, QStringList{QStringLiteral("--out"), QString()}}) {
        const Outcome r = runOn(hive, fillAll + extra);
        EXPECT_EQ(r.status, 2) << extra.join(u' ').toStdString();
    }
    const Outcome forceAlone =
        runOn(hive, {QStringLiteral("fill"), page, QStringLiteral("--folder"), job,
                     QStringLiteral("--force")});
    EXPECT_EQ(forceAlone.status, 2);
}

TEST_F(LinkingCommands, ScanValuesCountsEachFieldsForms)
{
    define("Form1", "Website Enquiry", " =");
    Fixtures::writeMail(job, QStringLiteral("1.emi"), QStringLiteral("Website Enquiry"),
                        QStringList{QStringLiteral("Town = York"), QStringLiteral("Name = A")});
    Fixtures::writeMail(job, QStringLiteral("2.emi"), QStringLiteral("Website Enquiry"),
                        QStringList{QStringLiteral("Town = York")});
    const QJsonArray fields =
        json({QStringLiteral("scan"), job, QStringLiteral("--values")})[u"fields"].toArray();
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0][u"count"].toInt(), 2);
    const QJsonArray values = fields[0][u"values"].toArray();
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0][u"value"].toString(), QStringLiteral("York"));
    EXPECT_EQ(values[0][u"count"].toInt(), 2);
    EXPECT_EQ(fields[1][u"count"].toInt(), 1);
}

} // namespace

TEST_F(LinkingCommands, LinkMatchingLinksTheTagsNamedLikeFields)
{
    define("Form1", "Quote", "=");
    Fixtures::writeMail(job, QStringLiteral("a.emi"), QStringLiteral("Quote"),
                        QStringList{QStringLiteral("name=Ann"), QStringLiteral("delivery_date=May"),
                                    QStringLiteral("Phone=0113")});
    const QString page = file(QStringLiteral("quote.htm"),
                              "<!-- Name -->\r\n<!-- delivery date --><!-- phone -->\r\n"
                              "<!-- notes --><!-- NAME -->");
    EXPECT_EQ(run({QStringLiteral("link"), page, QStringLiteral("<!-- phone -->"),
                   QStringLiteral("name")})
                  .status,
              0);
    const QStringList matching{QStringLiteral("link"), page, QStringLiteral("--matching"),
                               QStringLiteral("--folder"), job};

    // A dry run prints the pairs and writes nothing.
    const QJsonObject dry = json(matching + QStringList{QStringLiteral("--dry-run")});
    const auto pair = [](const char* tag, const char* field, int line) {
        return QJsonObject{{QStringLiteral("tag"), QLatin1String(tag)},
                           {QStringLiteral("field"), QLatin1String(field)},
                           {QStringLiteral("line"), line}};
    };
    EXPECT_EQ(dry[u"key"].toString(), QStringLiteral("QUOTEHTM"));
    EXPECT_TRUE(dry[u"dryRun"].toBool());
    EXPECT_EQ(dry[u"pairs"].toArray(), array({pair("<!-- Name -->", "name", 1),
                                              pair("<!-- delivery date -->", "delivery_date", 2)}));
    const QString unlinked = QStringLiteral("unlinked");
    const auto states = [&] {
        QStringList out;
        for (const QJsonValue& tag : json({QStringLiteral("tags"), page})[u"tags"].toArray())
            out << tag[u"state"].toString();
        return out;
    };
    EXPECT_EQ(states(), (QStringList{unlinked, unlinked, "linked", unlinked, unlinked}));

    const Outcome linked = run(matching);
    EXPECT_EQ(linked.status, 0) << linked.err.toStdString();
    EXPECT_EQ(linked.out, QStringLiteral("     1  <!-- Name -->  ->  name\n"
                                         "     2  <!-- delivery date -->  ->  delivery_date\n"
                                         "2 tag(s) linked.\n"));
    // The tag linked before keeps its field; the same tag in another case is linked with it.
    EXPECT_EQ(states(), (QStringList{"linked", "linked", "linked", unlinked, "linked"}));
    EXPECT_EQ(run(matching).out, QStringLiteral("0 tag(s) linked.\n"));

    // --matching takes one document and a folder; its options go with it only.
    EXPECT_EQ(run({QStringLiteral("link"), page, QStringLiteral("--matching")}).status, 2);
    EXPECT_EQ(run({QStringLiteral("link"), page, QStringLiteral("<!-- a -->"),
                   QStringLiteral("--matching"), QStringLiteral("--folder"), job})
                  .status,
              2);
    EXPECT_EQ(run({QStringLiteral("link"), page, QStringLiteral("<!-- a -->"), QStringLiteral("A"),
                   QStringLiteral("--dry-run")})
                  .status,
              2);
    EXPECT_EQ(run(matching + QStringList{QStringLiteral("--replace")}).status, 2);
    EXPECT_EQ(run({QStringLiteral("link"), page, QStringLiteral("--matching"),
                   QStringLiteral("--folder"), dir.filePath(QStringLiteral("gone"))})
                  .status,
              1);
}
