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

std::unique_ptr<QTextDocument> buildSourceText(const QString& text)
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    // No layout yet: a document without one lays nothing out as its text
    // goes in, so no font is shaped here.
    Routines_Converters::rtfToDocument(Linking::sourceViewRtf(text), *document);
    // Showing a document gives every paragraph its text layout and one line;
    // done here, that walk costs the window a fraction of the time. An empty
    // text layout holds no font: lines are laid out, and fonts met, only
    // once the document has its layout, on the thread that shows it.
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
        block.layout();
        block.setLineCount(1);
    }
    return document;
}

void layOutSource(QTextDocument& document)
{
    document.setDefaultFont(sourceFont());
    // One paragraph a line, never wrapped; the view lays each out as it
    // comes into sight.
    document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
}

std::unique_ptr<QTextDocument> buildSourceDocument(const QString& text)
{
    std::unique_ptr<QTextDocument> document = buildSourceText(text);
    layOutSource(*document);
    return document;
}

std::unique_ptr<QTextDocument> buildSourceDocumentWhileWaiting(const QString& text)
{
    QThread* const home = QThread::currentThread();
    std::unique_ptr<QTextDocument> built;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            built = buildSourceText(text);
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
    layOutSource(*built);
    return built;
}

} // namespace App
