// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the target-document path: decoding, the list of
// comment tags, the tag steps, and the source view with its position map.
// Besides crashes and hangs it checks that every tag found is one the
// selected-tag rule accepts, that the steps land on a "<!--", and that the
// view holds one character for each character and line end of the text.
#include "converters/RtfReader.h"
#include "linking/CommentTags.h"
#include "linking/SourceText.h"
#include "platform/Environment.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The view is built for texts of this size at most: a text document of more
// slows the fuzzer down without reaching other code.
constexpr qsizetype MaxViewText = 16 * 1024;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkTags(const QString& text)
{
    qsizetype end = 0;
    int line = 1;
    for (const Linking::CommentTag& tag : Linking::commentTags(text)) {
        require(tag.start >= end && tag.line >= line);
        require(QStringView(text).sliced(tag.start, tag.tag.size()) == tag.tag);
        require(Linking::selectedTag(tag.tag) == tag.tag);
        end = tag.start + tag.tag.size();
        line = tag.line;
    }
    for (const qsizetype start : {qsizetype(0), text.size() / 2, text.size()}) {
        for (const auto step : {Linking::nextTag, Linking::previousTag}) {
            const auto selection = step(text, {start, 0});
            if (!selection)
                continue;
            require(selection->start >= 0 && selection->length > 0 &&
                    selection->start + selection->length <= text.size());
            require(QStringView(text).sliced(selection->start).startsWith(u"<!--"));
        }
    }
}

void checkView(const QString& text)
{
    QTextDocument document;
    Routines_Converters::rtfToDocument(Linking::sourceViewRtf(text), document);
    const QString view = document.toPlainText();
    const Linking::SourceMap map(text);
    require(map.toView(text.size()) == view.size());
    for (qsizetype d = 0; d < text.size(); ++d) {
        const qsizetype v = map.toView(d);
        const bool lineEnd = text[d] == u'\r' || text[d] == u'\n';
        require(v < view.size() && (!lineEnd || view[v] == u'\n'));
        require(map.toDocument(v) <= d && map.toDocument(v) >= d - 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!QCoreApplication::instance()) {
        Platform::prepareGuiEnvironment();
        static int argc = 1;
        static char name[] = "fuzz_document";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv); // lives as long as the process
    }
    const QString text = Linking::decodeDocument(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    checkTags(text);
    if (text.size() <= MaxViewText)
        checkView(text);
    return 0;
}
