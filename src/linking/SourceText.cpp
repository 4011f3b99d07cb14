// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceText.h"

#include "converters/Converters.h"
#include "platform/Cp1252.h"
#include "platform/File.h"
#include "shared/Files.h"
#include "shared/Messages.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace Linking {
namespace {

constexpr char16_t ControlPictures = 0x2400;
// How much of a file is looked at for the NUL bytes that no text holds.
constexpr qsizetype TextCheckLength = 8 * 1024;
constexpr int NotATextDocument = 9340;

bool isControl(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n';
}

// The text as the plain-text converter needs it to give one paragraph a line
// end: every line end as CR LF, and no control character that it would take
// for an emphasis mark (or that the RTF reader would drop).
QString viewText(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            out += QLatin1String("\r\n");
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
                ++i;
        } else if (isControl(c)) {
            out += QChar(char16_t(ControlPictures + c));
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

DecodedDocument decodeDocumentAs(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {std::move(text), true};
    return {Platform::Cp1252::decode(bytes), false};
}

QString decodeDocument(const QByteArray& bytes)
{
    return decodeDocumentAs(bytes).text;
}

std::optional<QByteArray> readDocumentBytes(const QString& path)
{
    return Global::guarded("Linking:readDocument", [&]() -> std::optional<QByteArray> {
        Platform::File file = Global::OpenFile(path, Platform::File::Binary | Platform::File::Read);
        if (!file.isOpen())
            return std::nullopt;
        QByteArray bytes = file.readAt(1, file.size());
        file.close();
        if (!checkTextDocument(path, bytes))
            return std::nullopt;
        return bytes;
    });
}

bool checkTextDocument(const QString& path, QByteArrayView bytes)
{
    if (!bytes.first(std::min<qsizetype>(bytes.size(), TextCheckLength)).contains('\0'))
        return true;
    Global::showMessage(NotATextDocument, {path}, Platform::MsgButtons::Ok,
                        Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
    return false;
}

QString documentFolder(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

QString documentExtension(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
}

std::optional<QString> readDocument(const QString& path)
{
    const std::optional<QByteArray> bytes = readDocumentBytes(path);
    if (!bytes)
        return std::nullopt;
    return decodeDocument(*bytes);
}

qsizetype longestLine(QStringView text)
{
    qsizetype widest = 0;
    qsizetype previous = 0;
    for (qsizetype p = text.indexOf(u"\r\n"); p >= 0; p = text.indexOf(u"\r\n", p + 1)) {
        widest = std::max(widest, p - previous);
        previous = p;
    }
    return widest;
}

QString sourceViewRtf(QStringView text)
{
    const QString plain = viewText(text);
    QString body = Routines_Converters::TXTtoRTF(plain,
                                                 Routines_Converters::TxtFlags::EscapeAndMarks |
                                                     Routines_Converters::TxtFlags::LineBreaks,
                                                 QString(), true);
    // A rich-text view folds a paragraph mark at the very end into the end of
    // the document; one more keeps the document's own last line end.
    if (plain.endsWith(QLatin1String("\r\n")))
        body += QLatin1String("\\par ");
    return Routines_Converters::RTFHeader() + QLatin1String("\\f2 ") + body +
           Routines_Converters::RTFFooter();
}

SourceMap::SourceMap(QStringView text)
{
    for (qsizetype p = text.indexOf(u"\r\n"); p >= 0; p = text.indexOf(u"\r\n", p + 2))
        m_pairs.append(p);
}

qsizetype SourceMap::toView(qsizetype documentPosition) const
{
    // Every pair that starts before the position gives one character less;
    // the LF of a pair thereby lands on the pair's own character.
    const auto before = std::lower_bound(m_pairs.cbegin(), m_pairs.cend(), documentPosition);
    return documentPosition - (before - m_pairs.cbegin());
}

qsizetype SourceMap::toDocument(qsizetype viewPosition) const
{
    // The view character of pair k is at m_pairs[k] - k, which grows with k:
    // count the pairs whose character lies before the position.
    qsizetype low = 0;
    qsizetype high = m_pairs.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (m_pairs[middle] - middle < viewPosition)
            low = middle + 1;
        else
            high = middle;
    }
    return viewPosition + low;
}

} // namespace Linking
