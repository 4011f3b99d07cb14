// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary Windows-1252 text to the HTML converter: HTMLtoRTF with and
// without Wrap, and TXTtoRTF with its HTML branch. Faults that the converters
// report are expected; crashes, hangs and undefined behaviour are not, nor
// RTF that is not balanced or holds words that the HTML did not ask for.
#include "ConverterFuzz.h"

#include <cstddef>
#include <cstdint>

using namespace Routines_Converters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = Fuzzing::converterInput(data, size);
    const QString body = HTMLtoRTF(text, false);
    Fuzzing::checkHtmlBody(text, body);

    const QString prefix = QStringLiteral("\\fs20 ");
    const QString document = HTMLtoRTF(text, true, prefix);
    Fuzzing::readRtf(document);
    if (!body.trimmed().isEmpty())
        Fuzzing::require(document.endsWith(prefix + body + RTFFooter()));

    if (!GetHTMLBody(text).isEmpty())
        Fuzzing::checkHtmlBody(text, TXTtoRTF(text, 3, QString(), false));
    return 0;
}
