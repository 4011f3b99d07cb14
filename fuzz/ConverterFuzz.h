// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the converter fuzz targets share: a quiet host, a fixed font check,
// and a reading of the RTF they give, so that each target can check that its
// output is balanced RTF whose control words the input asked for, whatever
// the input.

#include "QuietUiHost.h"
#include "converters/Converters.h"
#include "platform/Cp1252.h"
#include "shared/TextRoutines.h"

#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace Fuzzing {

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The input as the converters' callers have it: Windows-1252 text.
inline QString converterInput(const uint8_t* data, size_t size)
{
    static const bool prepared = [] {
        static QuietUiHost host;
        Platform::setUiHost(&host);
        // The font database is not what is being tested, and may be absent.
        Global::setFontCheck([](const QString& face) { return face.startsWith(u'A'); });
        return true;
    }();
    (void)prepared;
    return Platform::Cp1252::decode(reinterpret_cast<const char*>(data), qsizetype(size));
}

// An RTF text as a reader takes it apart. Aborts on what no output of ours
// may hold: a "}" that closes nothing, a group left open, a backslash at the
// end, or a control symbol other than the escapes "\\", "\{" and "\}".
struct RtfReading
{
    QHash<QString, int> words;    // each control word (its letters) and how often
    QList<qsizetype> fontWords;   // the numbers of the "\f" words
    QList<qsizetype> colourWords; // the numbers of the "\cf" words
    QString text;                 // the characters shown, escapes resolved
    int groups = 0;

    int count(const char* word) const { return words.value(QLatin1String(word)); }
    int total() const
    {
        int all = 0;
        for (const int n : words)
            all += n;
        return all;
    }
};

inline RtfReading readRtf(QStringView rtf)
{
    RtfReading reading;
    int depth = 0;
    const qsizetype size = rtf.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = rtf[i++];
        if (c == u'{') {
            ++depth;
            ++reading.groups;
        } else if (c == u'}') {
            require(--depth >= 0);
        } else if (c != u'\\') {
            reading.text += c;
        } else {
            require(i < size);
            const auto isLetter = [&](qsizetype at) {
                return at < size && rtf[at].unicode() < 128 && rtf[at].isLetter();
            };
            if (!isLetter(i)) {
                require(QStringView(u"\\{}").contains(rtf[i]));
                reading.text += rtf[i++];
                continue;
            }
            const qsizetype start = i;
            while (isLetter(i))
                ++i;
            const QString word = rtf.sliced(start, i - start).toString();
            const qsizetype digits = i;
            if (i < size && rtf[i] == u'-')
                ++i;
            while (i < size && rtf[i].isDigit())
                ++i;
            const qsizetype number = rtf.sliced(digits, i - digits).toLongLong();
            if (i < size && rtf[i] == u' ')
                ++i;
            ++reading.words[word];
            if (word == u"f")
                reading.fontWords << number;
            else if (word == u"cf")
                reading.colourWords << number;
        }
    }
    require(depth == 0);
    return reading;
}

// True when every control word of the reading is one of `allowed`.
inline bool onlyWords(const RtfReading& reading, std::initializer_list<const char*> allowed)
{
    int known = 0;
    for (const char* word : allowed)
        known += reading.count(word);
    return known == reading.total();
}

// HTMLtoRTF's body text: format words only, at most four for each "<" of the
// HTML (a FONT tag's "\plain\fN\fsN\cfN", a "<P>"'s two paragraph words),
// naming fonts and colours that the tables hold; no group.
inline void checkHtmlBody(const QString& html, const QString& rtf)
{
    const RtfReading reading = readRtf(rtf);
    require(reading.groups == 0);
    require(onlyWords(reading, {"b", "i", "ul", "par", "plain", "f", "fs", "cf"}));
    require(reading.total() <= 4 * html.count(u'<'));
    for (const qsizetype font : reading.fontWords)
        require(font >= 0 && font < Routines_Converters::FontTable.size() - 1);
    for (const qsizetype colour : reading.colourWords)
        require(colour >= 0 && colour < Routines_Converters::ColourTable.size());
}

} // namespace Fuzzing
