// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/FormSubmissions.h"

#include "FormMail.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "shared/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

namespace Linking {
void PrintTo(const FieldRow& row, std::ostream* os)
{
    *os << "{" << row.fieldName.toStdString() << " | " << row.sample.toStdString() << " | "
        << row.tagLink.toStdString() << "}";
}
} // namespace Linking

namespace {

using namespace Linking;
using Fixtures::writeMail;
using Platform::MsgAnswer;

class JobFolder : public testing::Test
{
protected:
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QString folder = settings.folder() + QStringLiteral("/Job [1-2]");
    QList<FormSubmissionDef> defs;

    JobFolder()
    {
        QDir().mkpath(folder);
        define(QStringLiteral("Form1"), QStringLiteral("Website Enquiry"), QString());
        define(QStringLiteral("Form2"), QStringLiteral("Brochure Request"), QStringLiteral(":"));
        defs = loadFormSubmissions();
    }

    void define(const QString& branch, const QString& name, const QString& delimiter)
    {
        const QString section = QStringLiteral("EMail\\FormSubmissions\\") + branch;
        settings.set(section, QStringLiteral("Name"), name);
        settings.set(section, QStringLiteral("Delimiter"), delimiter);
    }

    QString mail(const char* name, const char* subject, const QStringList& lines,
                 Fixtures::EntryFlags flags = {})
    {
        return writeMail(folder, QString::fromUtf8(name), QString::fromUtf8(subject), lines, flags);
    }

    ScanResult scan()
    {
        const std::optional<ScanResult> result = scanJobFolder(folder, defs);
        EXPECT_TRUE(result.has_value());
        return result.value_or(ScanResult());
    }
};

FieldRow row(const char* name, const char* sample)
{
    return {QString::fromUtf8(name), QString::fromUtf8(sample), QString()};
}

TEST_F(JobFolder, DefinitionsComeInListingOrderWithTheDefaultDelimiter)
{
    define(QStringLiteral("a first"), QStringLiteral("Quote"), QStringLiteral("="));
    settings.set(QStringLiteral("EMail\\FormSubmissions\\a first"), QStringLiteral("Fields"),
                 QStringLiteral("x,y"));
    const QList<FormSubmissionDef> all = loadFormSubmissions();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].Name, QStringLiteral("Quote"));
    EXPECT_EQ(all[0].Delimiter, QStringLiteral("="));
    EXPECT_EQ(all[0].Fields, QStringLiteral("x,y"));
    // A stored empty delimiter reads as missing.
    EXPECT_EQ(all[1].Name, QStringLiteral("Website Enquiry"));
    EXPECT_EQ(all[1].Delimiter, QStringLiteral(" ="));
    EXPECT_EQ(all[2].Delimiter, QStringLiteral(":"));
    for (const FormSubmissionDef& def : all)
        EXPECT_EQ(def.LineEnd, QStringLiteral("\r\n"));

    Global::SaveRegistryData(QStringLiteral("EMail\\FormSubmissions"), QStringLiteral("KILLALL"),
                             Global::RegistryWrite{});
    EXPECT_TRUE(loadFormSubmissions().isEmpty());
}

TEST_F(JobFolder, DefinitionsAreAddedUpdatedAndRemovedWithoutRegardToCase)
{
    // New definitions take the first free "FormN", whatever the case of those taken.
    define(QStringLiteral("form3"), QStringLiteral("Old"), QStringLiteral("="));
    EXPECT_EQ(saveFormSubmission(QStringLiteral("KILL")), FormSaved::Added);
    EXPECT_EQ(
        saveFormSubmission(QStringLiteral("quote request"),
                           {.delimiter = QStringLiteral(": "), .fields = QStringLiteral("a")}),
        FormSaved::Added);
    EXPECT_EQ(saveFormSubmission(QStringLiteral("Quote Request"), {.fields = QStringLiteral("b")}),
              FormSaved::Updated);

    QList<StoredFormDef> stored = storedFormSubmissions();
    ASSERT_EQ(stored.size(), 5);
    // The word that the settings writer takes as "delete" is stored as a name.
    EXPECT_EQ(stored[3].branch, QStringLiteral("Form4"));
    EXPECT_EQ(stored[3].def.Name, QStringLiteral("KILL"));
    EXPECT_EQ(stored[3].def.Delimiter, QStringLiteral(" ="));
    // An update keeps the parts not given and takes the name as spelt.
    EXPECT_EQ(stored[4].branch, QStringLiteral("Form5"));
    EXPECT_EQ(stored[4].def.Name, QStringLiteral("Quote Request"));
    EXPECT_EQ(stored[4].def.Delimiter, QStringLiteral(": "));
    EXPECT_EQ(stored[4].def.Fields, QStringLiteral("b"));
    EXPECT_EQ(loadFormSubmissions().size(), 5);

    // Every definition of the name goes, whatever its case.
    define(QStringLiteral("Other"), QStringLiteral("QUOTE REQUEST"), QString());
    EXPECT_EQ(removeFormSubmission(QStringLiteral("quote request")), 2);
    EXPECT_EQ(removeFormSubmission(QStringLiteral("quote request")), 0);
    stored = storedFormSubmissions();
    ASSERT_EQ(stored.size(), 4);
    EXPECT_EQ(stored[0].def.Name, QStringLiteral("Website Enquiry"));
}

TEST_F(JobFolder, UnknownFormsAreCountedWithTheDelimiterThatSplitsMostLines)
{
    struct Case
    {
        const char* subject;
        QStringList lines;
        const char* delimiter;
    } cases[] = {
        {"Colon blank", {"Name: Ann", "Time: 10:30", "see: http://x"}, ": "},
        {"Colon", {"Name:Ann", "Phone: 1", "Town:Leeds"}, ":"},
        {"Equals", {"Name=Ann", "Phone = 1", "Town=Leeds"}, "="},
        // A tie goes to the longer of two delimiters that split the same lines.
        {"Blank equals", {"Name = Ann", "Phone = 1"}, " ="},
        {"Tab", {"Name\tAnn", "Phone\t1"}, "\t"},
        {"Prose", {"Hello there", "Regards"}, " ="},
        // The leading delimiter gives no field name.
        {"Leading", {": x", "=y", "=z"}, " ="},
    };
    for (const Case& c : cases)
        mail((QByteArray(c.subject) + ".emi").constData(), c.subject, c.lines);
    // A second e-mail of one subject in another case counts with the first.
    mail("Tab2.emi", "TAB", {"City\tYork", "x: y"});
    const ScanResult result = scan();
    ASSERT_EQ(result.unknownForms.size(), std::size(cases));
    for (const Case& c : cases) {
        const auto form = std::find_if(
            result.unknownForms.cbegin(), result.unknownForms.cend(),
            [&](const UnknownForm& f) { return f.subject == QLatin1String(c.subject); });
        ASSERT_NE(form, result.unknownForms.cend()) << c.subject;
        EXPECT_EQ(form->delimiter, QLatin1String(c.delimiter)) << c.subject;
        EXPECT_EQ(form->count, QLatin1String(c.subject) == u"Tab" ? 2 : 1) << c.subject;
    }
    EXPECT_EQ(result.unknown.size(), std::size(cases) + 1);
    // In the order first met: the files' alphabetical order.
    EXPECT_EQ(result.unknownForms[0].subject, QStringLiteral("Blank equals"));
}

TEST(FieldLines, SplitAtTheFirstDelimiter)
{
    const struct
    {
        const char16_t* line;
        const char16_t* delimiter;
        std::optional<std::pair<const char16_t*, const char16_t*>> field;
    } cases[] = {
        {u"Name = John Smith", u" =", {{u"Name", u"John Smith"}}},
        {u"Name=John", u" =", std::nullopt}, // the blank belongs to the delimiter
        {u" = no name", u" =", std::nullopt},
        {u"Notes = a = b ", u" =", {{u"Notes", u"a = b"}}},
        {u"Town :  Leeds \t", u":", {{u"Town ", u"Leeds \t"}}},
        {u"Empty =", u" =", {{u"Empty", u""}}},
        {u"no delimiter here", u" =", std::nullopt},
        {u"Name = x", u"", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<FieldLine> got = splitFieldLine(c.line, c.delimiter);
        const std::string what = QStringView(c.line).toString().toStdString();
        ASSERT_EQ(got.has_value(), c.field.has_value()) << what;
        if (got) {
            EXPECT_EQ(got->name, QStringView(c.field->first).toString()) << what;
            EXPECT_EQ(got->value, QStringView(c.field->second).toString()) << what;
        }
    }
}

TEST_F(JobFolder, FieldsOfEveryFormSubmissionInFileOrder)
{
    // Listed without regard to case: A.EMI, b.emi, C.Emi; other files are not e-mails.
    mail("b.emi", "Website Enquiry",
         {"Name = Second", "Email = b@example.com", "Name=Joined", " = no name", "Budget = 50"});
    mail("A.EMI", "website ENQUIRY", {"Name = First Person  ", "Email = a@example.com"});
    mail("C.Emi", "Brochure Request", {"Town: Leeds", "Name: Third"});
    // A form submission has both entry flags set; one alone is not enough.
    mail("d.emi", "Website Enquiry", {"FlagA = only"}, {.a = true, .b = false});
    mail("e.emi", "Website Enquiry", {"FlagB = only"}, {.a = false, .b = true});
    writeMail(folder, QStringLiteral("notes.txt"), QStringLiteral("Website Enquiry"),
              QStringList{QStringLiteral("Text = not listed")});

    const ScanResult result = scan();
    EXPECT_EQ(result.files, 5);
    EXPECT_EQ(result.notForms, 2);
    EXPECT_EQ(result.forms(), 3);
    EXPECT_EQ(result.rows,
              (QList<FieldRow>{row("Name", "First Person"), row("Email", "a@example.com"),
                               row("Budget", "50"), row("Town", "Leeds")}));
    EXPECT_TRUE(result.unknown.isEmpty());
    // The busy pointer shows for the scan and goes back; the queue runs between files.
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
    EXPECT_GE(host.eventRuns, 4);
}

TEST_F(JobFolder, BodiesOfEveryShape)
{
    // The last line needs no line end; an empty body counts but adds nothing.
    mail("1.emi", "Website Enquiry", {"First = 1", "Last = 2"});
    writeMail(folder, QStringLiteral("2.emi"), QStringLiteral("Website Enquiry"), QString());
    // A body that is not RTF is read as plain text, whatever its line ends.
    writeMail(folder, QStringLiteral("3.emi"), QStringLiteral("Website Enquiry"),
              QStringLiteral("Plain = a\nBare = b\rMac = c"));
    // A rich-text control's RTF with characters beyond ASCII.
    writeMail(folder, QStringLiteral("4.emi"), QStringLiteral("Website Enquiry"),
              QStringLiteral("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\pard\\f0 "
                             "Caf\\'e9 = cr\\'e8me \\{1\\}\\par\r\nGda\\u324?sk = yes\\par\r\n}"));
    const ScanResult result = scan();
    EXPECT_EQ(result.forms(), 4);
    EXPECT_EQ(result.rows, (QList<FieldRow>{row("First", "1"), row("Last", "2"), row("Plain", "a"),
                                            row("Bare", "b"), row("Mac", "c"),
                                            row("Café", "crème {1}"), row("Gdańsk", "yes")}));
}

// The e-mails of forms that no definition names give no rows and no box:
// the window names them in its bar.
TEST_F(JobFolder, UnknownFormsGiveNoRowsAndNoBox)
{
    mail("1.emi", "Newsletter Signup", {"Email = x@example.com"});
    mail("2.emi", "Website Enquiry", {"Name = Known"});
    mail("3.emi", "Newsletter SIGNUP", {"Email = y@example.com"});
    const ScanResult one = scan();
    EXPECT_TRUE(host.boxes.isEmpty());
    EXPECT_EQ(one.unknown, (QStringList{QStringLiteral("Newsletter Signup"),
                                        QStringLiteral("Newsletter SIGNUP")}));
    EXPECT_EQ(one.forms(), 3);
    EXPECT_EQ(one.rows, QList<FieldRow>{row("Name", "Known")});

    // With no definitions every form is unknown.
    defs.clear();
    EXPECT_EQ(scan().unknown.size(), 3);
}

TEST_F(JobFolder, DamagedFilesAreNoFormsAndTheScanGoesOn)
{
    mail("1.emi", "Website Enquiry", {"Name = Kept"});
    QFile foreign(folder + QStringLiteral("/2.emi"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("\x89PNG\r\n\x1a\n not an event at all");
    foreign.close();
    const QString cut = mail("3.emi", "Website Enquiry", {"Name = Cut"});
    QFile::resize(cut, 30);
    QFile(folder + QStringLiteral("/4.emi")).open(QIODevice::WriteOnly); // empty

    host.expectBox(MsgAnswer::Ok, QStringLiteral("2.emi"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("4.emi"));
    const ScanResult result = scan();
    EXPECT_EQ(result.files, 4);
    EXPECT_EQ(result.forms(), 1);
    EXPECT_EQ(result.rows, QList<FieldRow>{row("Name", "Kept")});
    EXPECT_EQ(host.boxes.value(0).icon, Platform::MsgIcon::Exclamation);
}

TEST_F(JobFolder, MissingOrEmptyFolders)
{
    EXPECT_EQ(scanJobFolder(settings.folder() + QStringLiteral("/gone"), defs), std::nullopt);
    EXPECT_EQ(scanJobFolder(QString(), defs), std::nullopt);
    const ScanResult empty = scan();
    EXPECT_EQ(empty.files, 0);
    EXPECT_TRUE(empty.rows.isEmpty());
}

} // namespace

namespace {

// Each field's count of form e-mails and its values, most frequent first; a
// field given twice in one e-mail counts once. The form e-mails come newest
// first, e-mails that fill no form left out.
TEST_F(JobFolder, FieldsAreCountedWithTheirValuesAndMailsComeNewestFirst)
{
    const auto at = [&](const QString& path, int minutes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(1'700'000'000 + minutes * 60),
                                     QFileDevice::FileModificationTime));
    };
    at(mail("a.emi", "Website Enquiry", {"Town = Leeds", "Name = Ann", "Town = York"}), 3);
    at(mail("b.emi", "Website Enquiry", {"Town = York"}), 1);
    at(mail("c.emi", "Website Enquiry", {"Town = York", "Name = "}), 2);
    at(mail("d.emi", "Newsletter", {"Town = Hull"}), 9);
    at(mail("e.emi", "Website Enquiry", {"Town = Bath"}, {.a = false}), 9);

    const ScanResult result = scan();
    const FieldUse town = result.uses.value(QStringLiteral("Town"));
    EXPECT_EQ(town.count, 3);
    EXPECT_EQ(town.values,
              (QList<ValueCount>{{QStringLiteral("York"), 2}, {QStringLiteral("Leeds"), 1}}));
    EXPECT_EQ(result.uses.value(QStringLiteral("Name")).count, 2);
    QStringList order;
    for (const FormMail& mail : result.mails)
        order << mail.file;
    EXPECT_EQ(order, (QStringList{QStringLiteral("a.emi"), QStringLiteral("c.emi"),
                                  QStringLiteral("b.emi")}));

    // One e-mail's fields, for filling a page from it.
    const auto fields = readFormFields(folder + QStringLiteral("/a.emi"), defs);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->size(), 2);
    EXPECT_EQ(fields->value(0).value, QStringLiteral("Leeds"));
    EXPECT_EQ(readFormFields(folder + QStringLiteral("/d.emi"), defs), std::nullopt);
}

} // namespace
