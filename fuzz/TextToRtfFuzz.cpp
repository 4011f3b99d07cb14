// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary Windows-1252 text to the plain-text converter (TXTtoRTF
// with PlainOnly), with and without the line-break words. Besides crashes
// and hangs it checks that the text can write no RTF of its own: the result
// holds no group and only the words that its emphasis marks, line breaks and
// tabs ask for, and every backslash and brace of the text shows as text.
#include "ConverterFuzz.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool isMark(QChar c)
{
    return c.unicode() < 32 && c != u'\t' && c != u'\n' && c != u'\r';
}

void checkPlain(const QString& text, int flags)
{
    using Fuzzing::require;
    const Fuzzing::RtfReading reading =
        Fuzzing::readRtf(Routines_Converters::TXTtoRTF(text, flags, QString(), true));
    require(reading.groups == 0);
    require(Fuzzing::onlyWords(reading, {"b", "i", "ul", "tab", "line", "par"}));
    const bool breaks = flags & Routines_Converters::TxtFlags::LineBreaks;
    const qsizetype marks = std::count_if(text.cbegin(), text.cend(), isMark);
    // A paragraph word for each CR at most: the line break it begins may be
    // one that marks and their letters stood in the middle of.
    require(reading.count("par") <= (breaks ? text.count(u'\r') : 0));
    require(reading.total() - reading.count("par") <= marks + (breaks ? text.count(u'\t') : 0));
    // Every backslash and brace of the text is shown as text: no mark took one.
    for (const QChar special : {u'\\', u'{', u'}'})
        require(reading.text.count(special) == text.count(special));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = Fuzzing::converterInput(data, size);
    checkPlain(text, Routines_Converters::TxtFlags::EscapeAndMarks);
    checkPlain(text, Routines_Converters::TxtFlags::EscapeAndMarks |
                         Routines_Converters::TxtFlags::LineBreaks);
    return 0;
}
