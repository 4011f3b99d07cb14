// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the RTF reader, read as the suite's files are read
// (Windows-1252), both as they come and behind an RTF opening, so that the
// fuzzer need not find the opening by itself. Besides crashes and hangs it
// checks that the document holds the same text as the plain reading.
#include "converters/RtfReader.h"
#include "platform/Cp1252.h"
#include "platform/Environment.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Line ends as the document holds them: one character a break.
QString lineEndsAsLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void check(const QString& rtf)
{
    const QString plain = Routines_Converters::rtfToPlainText(rtf);
    QTextDocument document;
    Routines_Converters::rtfToDocument(rtf, document);
    if (rtf.startsWith(QLatin1String("{\\rtf")) &&
        lineEndsAsLf(document.toRawText()) != lineEndsAsLf(plain))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!QCoreApplication::instance()) {
        Platform::prepareGuiEnvironment();
        static int argc = 1;
        static char name[] = "fuzz_rtf_reader";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv); // lives as long as the process
    }
    const QString text =
        Platform::Cp1252::decode(reinterpret_cast<const char*>(data), qsizetype(size));
    check(text);
    if (!text.startsWith(QLatin1String("{\\rtf")))
        check(QLatin1String("{\\rtf1 ") + text);
    return 0;
}
