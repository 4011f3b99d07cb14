// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/SourceText.h"
#include "linking/TagStates.h"

#include <QColor>
#include <QList>
#include <QTextEdit>

class QPlainTextEdit;

namespace App {

// The comment tags of a source view marked by their state: a background
// for each, laid over the text as the view's extra selections, so that the
// text itself is never touched.
class TagMarkSelections
{
public:
    static QColor colourOf(Linking::TagState state);

    // Marks every tag of the view's document afresh.
    void reset(QPlainTextEdit& view, const Linking::SourceMap& map,
               const QList<Linking::TagMark>& marks);
    // Marks again only the tags whose state changed.
    void update(QPlainTextEdit& view, const QList<Linking::TagMark>& marks,
                const QList<int>& changed);

private:
    QList<QTextEdit::ExtraSelection> m_selections;
};

} // namespace App
