// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmphasisMarks.h"

namespace Global {
namespace {

bool isMark(QChar c)
{
    return c.unicode() == 1 || c.unicode() == 31;
}

} // namespace

QList<EmphasisRun> parseEmphasis(QStringView text)
{
    QList<EmphasisRun> runs;
    EmphasisRun format;
    QString pending;
    const auto flush = [&] {
        if (pending.isEmpty())
            return;
        EmphasisRun run = format;
        run.text = std::exchange(pending, QString());
        runs << run;
    };
    const auto marker = [&](EmphasisRun::Kind kind) {
        flush();
        EmphasisRun run;
        run.kind = kind;
        runs << run;
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!isMark(c)) {
            pending += c;
            continue;
        }
        // A mark at the very end has nothing to act on.
        if (++i >= text.size())
            break;
        const QChar code = text[i];
        const char16_t u = code.unicode();
        EmphasisRun next = format;
        switch (u) {
        case u'B':
            next.bold = true;
            break;
        case u'b':
            next.bold = false;
            break;
        case u'I':
            next.italic = true;
            break;
        case u'i':
            next.italic = false;
            break;
        case u'U':
            next.underline = true;
            break;
        case u'u':
            next.underline = false;
            break;
        case u't':
            marker(EmphasisRun::Kind::ColumnStep);
            continue;
        case u'n':
            marker(EmphasisRun::Kind::NewLine);
            continue;
        default:
            if (u >= u'0' && u <= u'9')
                next.colour = u - u'0';
            break;
        }
        if (next != format) {
            flush();
            format = next;
        }
    }
    flush();
    return runs;
}

QString plainEmphasisText(QStringView text)
{
    // As parseEmphasis reads the marks, in one pass: a refine reads every row.
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isMark(text[i])) {
            plain += text[i];
            continue;
        }
        if (++i >= text.size())
            break;
        if (text[i] == u't')
            plain += QLatin1Char('\t');
        else if (text[i] == u'n')
            plain += QLatin1Char('\n');
    }
    return plain;
}

QList<EmphasisLine> emphasisLines(const QList<EmphasisRun>& runs)
{
    QList<EmphasisLine> lines{EmphasisLine{EmphasisCell{}}};
    for (const EmphasisRun& run : runs) {
        switch (run.kind) {
        case EmphasisRun::Kind::Text:
            lines.last().last() << run;
            break;
        case EmphasisRun::Kind::ColumnStep:
            lines.last() << EmphasisCell{};
            break;
        case EmphasisRun::Kind::NewLine:
            lines << EmphasisLine{EmphasisCell{}};
            break;
        }
    }
    return lines;
}

} // namespace Global
