// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/SourceText.h"
#include "linking/TagStates.h"

#include <QColor>
#include <QList>
#include <QObject>

class QPlainTextEdit;

namespace App {

// The comment tags of a source view marked by their state: a background for
// each, laid over the text as the view's extra selections, so that the text
// itself is never touched. A page can hold tens of thousands of tags, and a
// view's extra selections are all measured whenever they are set, so only
// the tags in sight are given to the view, again as it scrolls or resizes.
class TagMarkSelections : public QObject
{
    Q_OBJECT

public:
    explicit TagMarkSelections(QPlainTextEdit& view);

    static QColor colourOf(Linking::TagState state);

    // Every tag of the view's document afresh (`map` between the marks'
    // document positions and the view's).
    void reset(const Linking::SourceMap& map, const QList<Linking::TagMark>& marks);
    // The tags whose state changed.
    void update(const QList<Linking::TagMark>& marks, const QList<int>& changed);

private:
    struct Span
    {
        int from = 0; // view positions
        int to = 0;
        Linking::TagState state = Linking::TagState::Unlinked;
    };

    // Gives the view the marks in sight; `force` even when the same range
    // is in sight.
    void refresh(bool force);

    QPlainTextEdit& m_view;
    QList<Span> m_spans; // in document order
    int m_shownFrom = -1;
    int m_shownTo = -1;
};

} // namespace App
