// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the filled page, one or one a form e-mail: where it is offered, what
// is written, and that the document it was filled from, or a page that is
// there already, is never written over unless the user says so.
#include "linking/PagePreview.h"

#include "FormMail.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "linking/TagLinks.h"
#include "platform/File.h"
#include "platform/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Linking;
using Platform::MsgAnswer;

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A Windows-1252 reply page, filled from one e-mail.
class FilledPage : public testing::Test
{
protected:
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QString folder = settings.folder() + QStringLiteral("/Job [1-2]");
    QString pages = settings.folder() + QStringLiteral("/Pages");
    QString document = pages + QStringLiteral("/Reply.htm");
    QByteArray page = "<p>Gr\xFC\xDF <!-- Name --></p>\r\n";
    std::unique_ptr<PagePreview> preview;

    void SetUp() override
    {
        QDir().mkpath(folder);
        QDir().mkpath(pages);
        write(document, page);
        storeLink(QStringLiteral("Reply.htm"), QStringLiteral("<!-- Name -->"),
                  QStringLiteral("Name"));
        Fixtures::writeMail(folder, QStringLiteral("EMI_1.emi"), QStringLiteral("Website Enquiry"),
                            QStringList{QStringLiteral("Name = M\u00fcller & Co")});
        const QList<FormSubmissionDef> defs{{QStringLiteral("Website Enquiry"), QString(),
                                             QStringLiteral(" ="), QStringLiteral("\r\n")}};
        const FormMail mail{QStringLiteral("EMI_1.emi"), QStringLiteral("Website Enquiry"), 0};
        preview = std::make_unique<PagePreview>(document, page, QStringLiteral("Reply.htm"), folder,
                                                QList{mail}, defs);
        ASSERT_TRUE(preview->choose(0));
    }
};

TEST_F(FilledPage, IsOfferedBesideItsDocumentUnderItsOwnName)
{
    const Platform::FileRequest request = preview->saveRequest();
    EXPECT_EQ(request.title, QStringLiteral("Save the filled page as..."));
    EXPECT_EQ(request.folder, pages);
    EXPECT_EQ(request.fileName, QStringLiteral("Reply (filled).htm"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral("*.htm"));
    EXPECT_FALSE(request.pathMustExist);
}

// The bytes are the page as the preview holds it filled, in the document's
// own encoding; a file that is there already is replaced whole.
TEST_F(FilledPage, IsWrittenWholeInTheDocumentsEncoding)
{
    const QString saved = pages + QStringLiteral("/Reply (filled).htm");
    write(saved, QByteArray(4096, 'x'));
    ASSERT_TRUE(preview->saveAs(saved));
    EXPECT_EQ(contentsOf(saved), "<p>Gr\xFC\xDF M\xFCller &amp; Co</p>\r\n");
    EXPECT_EQ(contentsOf(saved), preview->filled().bytes);
    EXPECT_EQ(contentsOf(document), page);
    EXPECT_TRUE(host.boxes.isEmpty());
}

// By its own name, in another case (which the write would take for it), by a
// path through another folder or by a link: the document stays as it is.
TEST_F(FilledPage, IsNeverSavedOverItsDocument)
{
    QDir().mkpath(pages + QStringLiteral("/sub"));
    ASSERT_TRUE(QFile::link(document, pages + QStringLiteral("/link.htm")));
    const QString names[] = {document, pages + QStringLiteral("/REPLY.HTM"),
                             pages + QStringLiteral("/sub/../Reply.htm"),
                             pages + QStringLiteral("/link.htm")};
    for (const QString& name : names) {
        host.expectBox(MsgAnswer::Ok, QStringLiteral("the document it was filled from"));
        EXPECT_FALSE(preview->saveAs(name)) << name.toStdString();
    }
    EXPECT_EQ(contentsOf(document), page);
    for (const Platform::MessageBoxRequest& box : host.boxes)
        EXPECT_EQ(box.title, QStringLiteral("Warning!"));
}

TEST_F(FilledPage, AWriteThatFailsIsToldAndLeavesNothingBehind)
{
    Platform::File::setFaultHook([](const QString&, Platform::File::Operation operation) {
        return operation == Platform::File::Operation::Write ? int(Platform::RunTimeError::DiskFull)
                                                             : 0;
    });
    const QString saved = pages + QStringLiteral("/Reply (filled).htm");
    host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to save the filled page as\r\n\"") +
                                      saved + QStringLiteral("\"\r\n(Disk full)"));
    EXPECT_FALSE(preview->saveAs(saved));
    Platform::File::setFaultHook(nullptr);
    EXPECT_EQ(QDir(pages).entryList(QDir::Files | QDir::Hidden), QStringList{"Reply.htm"});
}

// Fill all: three form e-mails, one of which is gone by the time it is
// filled, into a folder that does not exist yet.
class FillAll : public FilledPage
{
protected:
    QString out = settings.folder() + QStringLiteral("/Mail-Merged/Jobs");
    std::unique_ptr<PagePreview> all;

    void SetUp() override
    {
        FilledPage::SetUp();
        Fixtures::writeMail(folder, QStringLiteral("EMI_2.emi"), QStringLiteral("Website Enquiry"),
                            QStringList{QStringLiteral("Name = Ann")});
        const QList<FormSubmissionDef> defs{{QStringLiteral("Website Enquiry"), QString(),
                                             QStringLiteral(" ="), QStringLiteral("\r\n")}};
        QList<FormMail> mails;
        for (const char* file : {"EMI_2.emi", "gone.emi", "EMI_1.emi"})
            mails.append({QLatin1String(file), QStringLiteral("Website Enquiry"), 0});
        all = std::make_unique<PagePreview>(document, page, QStringLiteral("Reply.htm"), folder,
                                            mails, defs);
    }

    QString pagePath(const char* mail) const
    {
        return out + QLatin1Char('/') + QLatin1String(mail) + QStringLiteral(" (Reply).htm");
    }
};

TEST_F(FillAll, SavesAPageForEachE_mailNamedAfterItAndTellsWhatWasNotFilled)
{
    host.expectBox(MsgAnswer::Ok, QStringLiteral("2 saved\r\n0 left as they were (there "
                                                 "already)\r\n1 not filled\r\ngone.emi: the "
                                                 "form e-mail cannot be read"));
    QList<int> steps;
    const auto pages =
        all->fillAll(out, [&](const SavedPage&, int done) { return steps.append(done), true; });
    ASSERT_TRUE(pages);
    EXPECT_EQ(steps, (QList<int>{1, 2, 3}));
    ASSERT_EQ(pages->size(), 3);
    EXPECT_EQ((*pages)[0].outcome, SavedPage::Saved);
    EXPECT_EQ((*pages)[0].path, pagePath("EMI_2"));
    EXPECT_EQ((*pages)[1].outcome, SavedPage::NotFilled);
    EXPECT_EQ(contentsOf(pagePath("EMI_2")), "<p>Gr\xFC\xDF Ann</p>\r\n");
    EXPECT_EQ(contentsOf(pagePath("EMI_1")), "<p>Gr\xFC\xDF M\xFCller &amp; Co</p>\r\n");
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_EQ(host.boxes.last().icon, Platform::MsgIcon::Exclamation);
    EXPECT_EQ(contentsOf(document), page);
}

// A page that cannot be written is told with the fault; the others are
// saved, and nothing is left of it.
TEST_F(FillAll, APageThatCannotBeWrittenIsToldAndTheOthersGoOn)
{
    int writes = 0;
    Platform::File::setFaultHook([&](const QString&, Platform::File::Operation operation) {
        return operation == Platform::File::Operation::Write && writes++ == 0
                   ? int(Platform::RunTimeError::DiskFull)
                   : 0;
    });
    host.expectBox(MsgAnswer::Ok, QStringLiteral("1 saved\r\n0 left as they were (there "
                                                 "already)\r\n2 not filled\r\nEMI_2.emi: Disk "
                                                 "full\r\ngone.emi"));
    EXPECT_TRUE(all->fillAll(out));
    Platform::File::setFaultHook(nullptr);
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("EMI_1 (Reply).htm")});
}

// Pages there already (by a name in another case too): No leaves them as
// they are, Yes replaces them, Cancel fills nothing.
TEST_F(FillAll, AsksBeforeReplacingPagesThatAreThereAlready)
{
    QDir().mkpath(out);
    const QString upper = out + QStringLiteral("/EMI_1 (REPLY).HTM");
    write(upper, "mine");
    const QString question = QStringLiteral("1 of the 3 filled pages are in the folder");

    host.expectBox(MsgAnswer::Cancel, question);
    EXPECT_FALSE(all->fillAll(out));
    EXPECT_FALSE(QFile::exists(pagePath("EMI_2")));

    host.expectBox(MsgAnswer::No, question);
    host.expectBox(MsgAnswer::Ok, QStringLiteral("1 saved\r\n1 left as they were"));
    auto pages = all->fillAll(out);
    ASSERT_TRUE(pages);
    EXPECT_EQ((*pages)[2].outcome, SavedPage::LeftAlone);
    EXPECT_EQ((*pages)[2].path, upper);
    EXPECT_EQ(contentsOf(upper), "mine");

    host.expectBox(MsgAnswer::Yes, QStringLiteral("2 of the 3 filled pages"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("2 saved\r\n0 left"));
    pages = all->fillAll(out);
    EXPECT_EQ(contentsOf(upper), "<p>Gr\xFC\xDF M\xFCller &amp; Co</p>\r\n");
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 2);
}

// A page whose name is a link to the document is refused even when pages
// are replaced; the others are saved.
TEST_F(FillAll, NeverWritesTheDocumentThroughAPagesName)
{
    QDir().mkpath(out);
    ASSERT_TRUE(QFile::link(document, pagePath("EMI_1")));
    host.expectBox(MsgAnswer::Yes, QStringLiteral("1 of the 3"));
    host.expectBox(MsgAnswer::Ok,
                   QStringLiteral("EMI_1.emi: that is the document the pages are filled from"));
    const auto pages = all->fillAll(out);
    ASSERT_TRUE(pages);
    EXPECT_EQ((*pages)[0].outcome, SavedPage::Saved);
    EXPECT_EQ((*pages)[2].outcome, SavedPage::NotFilled);
    EXPECT_EQ(contentsOf(document), page);
}

// Two e-mails whose names differ only in case name one page: the second
// never replaces the page of the first.
TEST_F(FillAll, OnePageNameIsWrittenOnceARun)
{
    // Copied in from elsewhere: the suite's own writer would take the name
    // for EMI_2.emi.
    const QString elsewhere = settings.folder() + QStringLiteral("/Elsewhere");
    QDir().mkpath(elsewhere);
    ASSERT_TRUE(QFile::copy(Fixtures::writeMail(elsewhere, QStringLiteral("emi_2.emi"),
                                                QStringLiteral("Website Enquiry"),
                                                QStringList{QStringLiteral("Name = Bob")}),
                            folder + QStringLiteral("/emi_2.emi")));
    PagePreview twins(document, page, QStringLiteral("Reply.htm"), folder,
                      {{QStringLiteral("EMI_2.emi"), QStringLiteral("Website Enquiry"), 0},
                       {QStringLiteral("emi_2.emi"), QStringLiteral("Website Enquiry"), 0}},
                      {{QStringLiteral("Website Enquiry"), QString(), QStringLiteral(" ="),
                        QStringLiteral("\r\n")}});
    QDir().mkpath(out);
    const QString there = out + QStringLiteral("/emi_2 (reply).htm");
    write(there, "old");
    host.expectBox(MsgAnswer::Yes, QStringLiteral("2 of the 2"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("1 saved\r\n1 left"));
    ASSERT_TRUE(twins.fillAll(out));
    EXPECT_EQ(contentsOf(there), "<p>Gr\xFC\xDF Ann</p>\r\n");
}

TEST_F(FillAll, StopsWhenAskedAndSaysWhere)
{
    host.expectBox(MsgAnswer::Ok, QStringLiteral("1 saved\r\n0 left as they were (there "
                                                 "already)\r\n0 not filled\r\n\r\nStopped "
                                                 "after 1 of the 3 form e-mails."));
    const auto pages = all->fillAll(out, [](const SavedPage&, int) { return false; });
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->size(), 1);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 1);
}

TEST_F(FillAll, WithoutAFolderOrOneThatCannotBeMadeNothingIsFilled)
{
    host.expectBox(MsgAnswer::Ok, QStringLiteral("No Mail-Merged folder is set for this mode"));
    EXPECT_FALSE(all->fillAll(QString()));

    Platform::File::setFaultHook([](const QString&, Platform::File::Operation operation) {
        return operation == Platform::File::Operation::MakeFolder
                   ? int(Platform::RunTimeError::PermissionDenied)
                   : 0;
    });
    host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to make the folder\r\n\"") + out +
                                      QStringLiteral("\"\r\nfor the filled pages (Permission "
                                                     "denied)"));
    EXPECT_FALSE(all->fillAll(out));
    Platform::File::setFaultHook(nullptr);
    EXPECT_FALSE(QFileInfo::exists(out));
}

} // namespace
