// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the filled page: where it is offered, what is written, and that the
// document it was filled from is never written over.
#include "linking/PagePreview.h"

#include "FormMail.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "linking/TagLinks.h"
#include "platform/File.h"
#include "platform/RunTimeError.h"

#include <QDir>
#include <QFile>

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

} // namespace
