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

// The view's document for the text: the source view's rich text read into
// a plain-text layout (one paragraph a line, no wrapping), in the source
// font. Safe on any thread: the document has no parent.
std::unique_ptr<QTextDocument> buildSourceDocument(const QString& text);

// The same on a worker thread while the calling thread's event queue keeps
// running, so the window answers (and repaints) during a long conversion.
// The document comes back living in the calling thread.
std::unique_ptr<QTextDocument> buildSourceDocumentWhileWaiting(const QString& text);

} // namespace App
