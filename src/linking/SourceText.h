// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The target document's text and how the source view shows it.
namespace Linking {

// A target document's text from its bytes: UTF-8 when the bytes are valid
// UTF-8 (a byte-order mark is dropped), otherwise Windows-1252, one
// character a byte. Line ends stay as they are.
QString decodeDocument(const QByteArray& bytes);
// The same, saying which of the two it read.
struct DecodedDocument
{
    QString text;
    bool utf8 = false;
};
DecodedDocument decodeDocumentAs(const QByteArray& bytes);

// Reads the document at `path` through the shared file opener (with its
// retry dialogue) and decodes it; nothing when it cannot be opened or is no
// text document (checkTextDocument).
std::optional<QString> readDocument(const QString& path);
// The same without decoding: the document's bytes.
std::optional<QByteArray> readDocumentBytes(const QString& path);

// True when the bytes of the file at `path` may be a text document: no NUL
// byte among the first 8 KB, which a picture, a program or a word
// processor's file has and no HTML page does. Otherwise says so in a message
// (9340) and gives false.
bool checkTextDocument(const QString& path, QByteArrayView bytes);

// The folder that holds the document at `path`, where the page's pictures
// and style sheets are found.
QString documentFolder(const QString& path);
// The document's extension with its dot ("" when it has none), which the
// pages filled from it keep.
QString documentExtension(const QString& path);

// The greatest distance between one CR LF pair and the next (the first
// measured from position 0); text after the last pair is not measured, and a
// text without CR LF gives 0.
qsizetype longestLine(QStringView text);

// The rich text that the source view is given: the document head, "\f2 ",
// the text converted as plain text, the tail. Every line end (CR LF, LF or
// CR) becomes one paragraph end and every control character other than tab
// shows as its control picture (U+2400 + code), so the view holds exactly
// one character for each character of the text and one for each line end.
QString sourceViewRtf(QStringView text);

// Positions between the document's text and the view's text, in which each
// line end (CR LF, LF or CR) is one character. Both are 0-based.
class SourceMap
{
public:
    SourceMap() = default;
    explicit SourceMap(QStringView text);

    // A position inside a CR LF pair maps to the pair's view character.
    qsizetype toView(qsizetype documentPosition) const;
    // The view character of a CR LF pair maps to the pair's CR.
    qsizetype toDocument(qsizetype viewPosition) const;

private:
    // Document positions of the CR of each CR LF pair, ascending.
    QList<qsizetype> m_pairs;
};

} // namespace Linking
