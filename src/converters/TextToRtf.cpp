// SPDX-License-Identifier: GPL-3.0-or-later
#include "Converters.h"
#include "Pacing.h"
#include "platform/Text.h"
#include "shared/Files.h"
#include "shared/TextRoutines.h"

#include <array>
#include <numeric>
#include <vector>

namespace Routines_Converters {
namespace {

// Emphasis marks: any control character but tab, LF and CR, then a letter.
bool isMark(QChar c)
{
    const char16_t u = c.unicode();
    return u < 32 && u != 9 && u != 10 && u != 13;
}

const QString NoWord;

// The RTF word of a mark's letter; a null letter is a mark at the text's end.
const QString& markWord(QChar letter)
{
    static const QString Bold = QStringLiteral("\\b "), BoldOff = QStringLiteral("\\b0 "),
                         Italic = QStringLiteral("\\i "), ItalicOff = QStringLiteral("\\i0 "),
                         Under = QStringLiteral("\\ul "), UnderOff = QStringLiteral("\\ul0 "),
                         Tab = QStringLiteral("\\tab "), Line = QStringLiteral("\\line ");
    switch (letter.unicode()) {
    case u'B':
        return Bold;
    case u'b':
        return BoldOff;
    case u'I':
        return Italic;
    case u'i':
        return ItalicOff;
    case u'U':
        return Under;
    case u'u':
        return UnderOff;
    case u't':
        return Tab;
    case u'n':
        return Line;
    default:
        return NoWord;
    }
}

// Turns the marks of one stretch of text into words as the classic steps
// do: marks of lower codes first, each taking the character then next to it
// as its letter, even when that is another mark or the first character of a
// word that a mark of a lower code has already put there. A stretch begins
// at a mark and ends once it holds as many other characters as marks, so
// that nothing after it can ever be taken as a letter.
QString convertStretch(QStringView stretch)
{
    const int size = int(stretch.size());
    std::vector<int> next(size_t(size) + 1); // the first character still there at or after i
    std::iota(next.begin(), next.end(), 0);
    std::vector<const QString*> words(size_t(size), nullptr);
    std::vector<int> eaten(size_t(size), 0); // characters of a word taken as letters
    std::array<std::vector<int>, 32> byCode;
    for (int i = 0; i < size; ++i) {
        if (isMark(stretch[i]))
            byCode[stretch[i].unicode()].push_back(i);
    }

    auto find = [&](int i) {
        int root = i;
        while (next[size_t(root)] != root)
            root = next[size_t(root)];
        while (next[size_t(i)] != root)
            i = std::exchange(next[size_t(i)], root);
        return root;
    };
    auto remove = [&](int i) { next[size_t(i)] = i + 1; };

    for (const std::vector<int>& marks : byCode) {
        for (int p : marks) {
            if (next[size_t(p)] != p)
                continue; // taken as the letter of an earlier mark
            const int q = find(p + 1);
            QChar letter;
            if (q < size) {
                if (const QString* word = words[size_t(q)]) {
                    letter = word->at(eaten[size_t(q)]++);
                    if (eaten[size_t(q)] == word->size())
                        remove(q);
                } else {
                    letter = stretch[q];
                    remove(q);
                }
            }
            const QString& word = markWord(letter);
            if (word.isEmpty())
                remove(p);
            else
                words[size_t(p)] = &word;
        }
    }

    QString out;
    for (int i = find(0); i < size; i = find(i + 1)) {
        if (const QString* word = words[size_t(i)])
            out.append(QStringView(*word).sliced(eaten[size_t(i)]));
        else
            out.append(stretch[i]);
    }
    return out;
}

QString convertMarks(QStringView text, EventPacer& pacer)
{
    QString out;
    out.reserve(text.size() + text.size() / 4);
    qsizetype copied = 0;
    const qsizetype size = text.size();
    for (qsizetype pos = 0; pos < size;) {
        pacer.reach(pos);
        if (!isMark(text[pos])) {
            ++pos;
            continue;
        }
        qsizetype marks = 0, others = 0, end = pos;
        // The escaping has run: a backslash here is an escape's, which no
        // mark may take as its letter (the escaped character would come
        // loose), so a stretch ends before it and its marks go alone.
        while (end < size && text[end] != u'\\') {
            const bool mark = isMark(text[end++]);
            marks += mark;
            others += !mark;
            if (!mark && others >= marks)
                break;
        }
        out.append(text.sliced(copied, pos - copied));
        if (end - pos == 2 && others == 1)
            out.append(markWord(text[pos + 1])); // the usual case: a mark and its letter
        else
            out.append(convertStretch(text.sliced(pos, end - pos)));
        pos = copied = end;
    }
    out.append(text.sliced(copied));
    pacer.passEnded(size);
    return out;
}

// Escaping of "\", "{" and "}" and the line-break words, in one pass:
// escaping never makes a line break or a tab, and the words it does not see.
QString plainPass(QStringView text, bool escape, bool breaks, const QString& paragraph,
                  EventPacer& pacer)
{
    static const QString Tab = QStringLiteral("\\tab ");
    QString out;
    out.reserve(text.size() + text.size() / 8 + 16);
    const QChar* data = text.data();
    const qsizetype size = text.size();
    qsizetype copied = 0;
    for (qsizetype chunk = 0; chunk < size; chunk += EventPacer::Step) {
        const qsizetype chunkEnd = std::min(size, chunk + EventPacer::Step);
        for (qsizetype i = chunk; i < chunkEnd; ++i) {
            const char16_t c = data[i].unicode();
            if (c > u'}')
                continue;
            if (escape && (c == u'\\' || c == u'{' || c == u'}')) {
                out.append(QStringView(data + copied, i - copied));
                out.append(QLatin1Char('\\'));
                copied = i; // the character itself follows its backslash
            } else if (breaks && c == u'\r' && i + 1 < size && data[i + 1] == u'\n') {
                out.append(QStringView(data + copied, i - copied));
                out.append(paragraph);
                copied = ++i + 1;
            } else if (breaks && c == u'\t') {
                out.append(QStringView(data + copied, i - copied));
                out.append(Tab);
                copied = i + 1;
            }
        }
        pacer.reach(chunkEnd);
    }
    out.append(QStringView(data + copied, size - copied));
    pacer.passEnded(size);
    return out;
}

} // namespace

QString TXTtoRTF(const QString& text, int Flags, const QString& ParagraphExtra, bool PlainOnly)
{
    if (!PlainOnly) {
        const QString body = GetHTMLBody(text);
        if (!body.isEmpty())
            return HTMLtoRTF(body);
    }
    Global::BusyPointerScope busy;
    EventPacer pacer;
    const bool escape = Flags & TxtFlags::EscapeAndMarks;
    const bool breaks = Flags & TxtFlags::LineBreaks;
    // Line breaks become the paragraph word before tabs become tab words,
    // so the tabs of ParagraphExtra become tab words too. (Each original
    // line break is replaced once, also when ParagraphExtra holds one.)
    QString extra = ParagraphExtra;
    extra.replace(QLatin1Char('\t'), QLatin1String("\\tab "));
    const QString paragraph = QLatin1String("\\par") + extra + QLatin1Char(' ');

    const bool hasMarks = escape && std::any_of(text.cbegin(), text.cend(), isMark);
    if (!hasMarks)
        return plainPass(text, escape, breaks, paragraph, pacer);
    QString result = plainPass(text, true, false, paragraph, pacer);
    result = convertMarks(result, pacer);
    if (breaks)
        result = plainPass(result, false, true, paragraph, pacer);
    return result;
}

QString GetHTMLBody(const QString& text)
{
    const QString lower = Platform::lowerChars(text);
    if (!lower.contains(QLatin1String("</html>")) || !lower.contains(QLatin1String("<html")))
        return QString();
    const qsizetype start = lower.indexOf(QLatin1String("<body"));
    if (start < 0)
        return QString();
    const qsizetype end = lower.indexOf(QLatin1String("</body>"), start);
    if (end < 0)
        return QString();
    // The body counts only when the letters of its first text are the
    // letters the document begins with.
    const QString bodyLetters = Global::KwKeepAtoZ(HTMLtoTXT(lower.mid(start, 600)), 100);
    if (bodyLetters != Global::KwKeepAtoZ(lower, bodyLetters.size()))
        return QString();
    return text.mid(start, end - start);
}

} // namespace Routines_Converters
