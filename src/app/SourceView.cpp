// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceView.h"

#include "converters/RtfReader.h"
#include "linking/SourceText.h"

#include <QEventLoop>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>

namespace App {
namespace {

const QString CourierNew = QStringLiteral("Courier New");

} // namespace

QFont sourceFont()
{
    static const QFont font = [] {
        QFont courier(CourierNew, 10);
        courier.setStyleHint(QFont::TypeWriter);
        if (QFontDatabase::hasFamily(CourierNew) && QFontInfo(courier).fixedPitch())
            return courier;
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSize(10);
        // The source's RTF names Courier New for its text: let that name
        // find the fixed-pitch font too.
        QFont::insertSubstitution(CourierNew, fixed.family());
        return fixed;
    }();
    return font;
}

std::unique_ptr<QTextDocument> buildSourceDocument(const QString& text)
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(sourceFont());
    // The plain-text layout is set before the text goes in, so the document
    // is never laid out as rich text.
    document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
    Routines_Converters::rtfToDocument(Linking::sourceViewRtf(text), *document);
    // Showing a document walks every paragraph, giving each its text layout
    // and one line; done here first, that walk costs the window a quarter of
    // the time.
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
        block.layout();
        block.setLineCount(1);
    }
    return document;
}

std::unique_ptr<QTextDocument> buildSourceDocumentWhileWaiting(const QString& text)
{
    // The fonts are settled on this thread first: the substitution is global.
    sourceFont();
    QThread* const home = QThread::currentThread();
    std::unique_ptr<QTextDocument> built;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            built = buildSourceDocument(text);
            built->moveToThread(home);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
    return built;
}

} // namespace App
