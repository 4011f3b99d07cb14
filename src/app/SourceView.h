// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

#include <memory>

class QTextDocument;

// The document that the source view shows, built from a target document's
// text.
namespace App {

// Courier New at 10 points, or the machine's fixed-pitch font when it lacks
// Courier New (which then stands in wherever the source asks for it).
QFont sourceFont();

// The view's document for the text, without a layout: the source view's
// rich text read into paragraphs and formats, one paragraph a line, each
// with its empty text layout. Nothing in it is shaped with a font, so any
// thread may build it; the document has no parent.
std::unique_ptr<QTextDocument> buildSourceText(const QString& text);
// Gives such a document the source font and its plain-text layout (no
// wrapping). Fonts belong to the thread that uses them: this runs on the
// thread that shows the document.
void layOutSource(QTextDocument& document);

// Both on the calling thread.
std::unique_ptr<QTextDocument> buildSourceDocument(const QString& text);

// The text built on a worker thread while the calling thread's event queue
// keeps running, so the window answers (and repaints) during a long
// conversion; the layout is given here. The document comes back living in
// the calling thread.
std::unique_ptr<QTextDocument> buildSourceDocumentWhileWaiting(const QString& text);

} // namespace App
