// SPDX-License-Identifier: GPL-3.0-or-later
#include "MailImport.h"

#include "converters/Converters.h"
#include "datafiles/DataFile.h"
#include "datafiles/EventFile.h"
#include "platform/Cp1252.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"
#include "shared/Messages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

// GLib's headers have members named "signals", which Qt defines as a word.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace Linking {

// An event file that waits for its batch to be written.
struct MailWrite
{
    QString name;
    QByteArray bytes;
    QDateTime time;
};

// The text of a message as the suite keeps it: its subject, its body lines
// (CR LF between them) and its identity.
struct MailText
{
    QString subject;
    QString text;
    QDateTime date; // invalid when the message has none
    QByteArray key; // what names its file: its Message-ID, or the whole message
};

namespace {

namespace Str {
enum : int
{
    NotAMessage = 9400,
    CannotRead = 9401,
    NotAMaildir = 9402,
    CannotWrite = 9403,
    TextCut = 9404,
};
}

constexpr const char* LineEnd = "\r\n";

struct GObjectFree
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectFree>;

struct OptionsFree
{
    void operator()(GMimeParserOptions* options) const { g_mime_parser_options_free(options); }
};

// The parser's options of every message: headers in an undeclared 8-bit
// charset are read as UTF-8 where they are valid UTF-8, else as
// Windows-1252, as the suite's own files are.
GMimeParserOptions* parserOptions()
{
    static std::unique_ptr<GMimeParserOptions, OptionsFree> options = [] {
        g_mime_init();
        std::unique_ptr<GMimeParserOptions, OptionsFree> made(g_mime_parser_options_new());
        const char* charsets[] = {"UTF-8", "windows-1252", nullptr};
        g_mime_parser_options_set_fallback_charsets(made.get(), charsets);
        g_mime_parser_options_set_rfc2047_compliance_mode(made.get(), GMIME_RFC_COMPLIANCE_LOOSE);
        return made;
    }();
    return options.get();
}

QString cannotRead(const QString& detail)
{
    return Global::ResolveRes(Str::CannotRead, {detail});
}

QString errnoText()
{
    return QString::fromLocal8Bit(strerror(errno));
}

// Bytes of an undeclared or unknown charset: UTF-8 when they are valid
// UTF-8, else Windows-1252.
QString guessedText(const QByteArray& bytes)
{
    if (g_utf8_validate(bytes.constData(), bytes.size(), nullptr))
        return QString::fromUtf8(bytes);
    return Platform::Cp1252::decode(bytes);
}

QString decodedText(const QByteArray& bytes, const char* charset)
{
    const QByteArray name = QByteArray(charset ? charset : "").trimmed().toLower();
    // Mail programs label Windows-1252 text as Latin-1 or ASCII all the
    // time; the characters 128 to 159 are the difference.
    if (name.isEmpty() || name == "utf-8" || name == "utf8" || name == "us-ascii" ||
        name == "iso-8859-1" || name == "latin1" || name == "windows-1252" || name == "cp1252")
        return guessedText(bytes);
    gsize written = 0;
    GError* error = nullptr;
    char* converted = g_convert(bytes.constData(), bytes.size(), "UTF-8", name.constData(), nullptr,
                                &written, &error);
    if (!converted) {
        g_clear_error(&error);
        return guessedText(bytes);
    }
    QString text = QString::fromUtf8(converted, qsizetype(written));
    g_free(converted);
    return text;
}

// The content of a part with its transfer encoding undone.
QByteArray partBytes(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GPtr<GMimeStream> stream(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    return QByteArray(reinterpret_cast<const char*>(array->data), qsizetype(array->len));
}

// The first text part of `subtype` that is not an attachment, depth first.
GMimePart* findTextPart(GMimeObject* object, const char* subtype)
{
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i) {
            if (GMimePart* found = findTextPart(g_mime_multipart_get_part(multipart, i), subtype))
                return found;
        }
        return nullptr;
    }
    if (!GMIME_IS_PART(object))
        return nullptr;
    GMimePart* part = GMIME_PART(object);
    if (g_mime_part_is_attachment(part))
        return nullptr;
    GMimeContentType* type = g_mime_object_get_content_type(object);
    return type && g_mime_content_type_is_type(type, "text", subtype) ? part : nullptr;
}

QString partText(GMimePart* part)
{
    return decodedText(partBytes(part),
                       g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset"));
}

// Every line end as CR LF, the only one the rich-text conversion breaks at;
// other control characters, which it would take for emphasis marks, as
// blanks.
QString suiteLines(const QString& text)
{
    // Written through a pointer: a message's body passes here whole, and
    // appending a character at a time costs more than its parse.
    QString out(text.size() * 2, Qt::Uninitialized);
    QChar* to = out.data();
    const QChar* end = text.constData() + text.size();
    for (const QChar* from = text.constData(); from < end; ++from) {
        const char16_t c = from->unicode();
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && from + 1 < end && from[1] == u'\n')
                ++from;
            *to++ = u'\r';
            *to++ = u'\n';
        } else {
            *to++ = c < 0x20 && c != u'\t' ? QChar(u' ') : *from;
        }
    }
    out.truncate(to - out.constData());
    while (out.endsWith(QLatin1String(LineEnd)))
        out.chop(2);
    return out;
}

// An mbox writes a body line that begins "From " as ">From " (and one that
// began ">From " with one ">" more): one comes off again.
QString unescapedFromLines(const QString& text)
{
    static const QRegularExpression escaped(QStringLiteral("(^|\r\n)>(>*From )"));
    QString out = text;
    return out.replace(escaped, QStringLiteral("\\1\\2"));
}

std::optional<MailText> mailText(GMimeMessage* message, bool fromMbox, QString& why)
{
    GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message));
    if (!headers || g_mime_header_list_get_count(headers) == 0) {
        why = Global::ResolveRes(Str::NotAMessage);
        return std::nullopt;
    }
    MailText mail;
    mail.subject = QString::fromUtf8(g_mime_message_get_subject(message)).simplified();
    if (GDateTime* date = g_mime_message_get_date(message))
        mail.date = QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date), Qt::UTC);

    GMimeObject* body = g_mime_message_get_mime_part(message);
    if (GMimePart* plain = body ? findTextPart(body, "plain") : nullptr)
        mail.text = suiteLines(partText(plain));
    else if (GMimePart* html = body ? findTextPart(body, "html") : nullptr)
        mail.text = suiteLines(htmlMailText(partText(html)));
    if (fromMbox)
        mail.text = unescapedFromLines(mail.text);

    if (const char* id = g_mime_message_get_message_id(message); id && *id) {
        mail.key = QByteArray("id:") + id;
    } else {
        char* whole = g_mime_object_to_string(GMIME_OBJECT(message), nullptr);
        mail.key = QByteArray("message:") + QByteArray(whole ? whole : "");
        g_free(whole);
    }
    return mail;
}

QString keyHash(const QByteArray& key)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).left(8).toHex());
}

// The hash that an event file's name of ours carries, or "".
QString hashOfName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("_([0-9a-f]{16})\\.emi$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

// The moment of an mbox separator "From sender Sat Jan  3 01:05:34 1996".
QDateTime markerTime(const QByteArray& marker)
{
    const QStringList words = QString::fromLatin1(marker).simplified().split(QLatin1Char(' '));
    if (words.size() < 5)
        return {};
    const QString tail = words.mid(words.size() - 4).join(QLatin1Char(' '));
    QDateTime time = QDateTime::fromString(tail, QStringLiteral("MMM d hh:mm:ss yyyy"));
    time.setTimeSpec(Qt::UTC);
    return time;
}

QDateTime fileTime(const QString& path)
{
    return QFileInfo(path).lastModified().toUTC();
}

QString rtfWords(const QString& text)
{
    QString rtf = Routines_Converters::TXTtoRTF(text, 3, QString(), true);
    const auto plain = [](QChar c) { return c.unicode() < 128 || Platform::Cp1252::canEncode(c); };
    if (std::all_of(rtf.cbegin(), rtf.cend(), plain))
        return rtf;
    QString out;
    out.reserve(rtf.size());
    for (const QChar c : rtf) {
        if (plain(c))
            out += c;
        else // \uN takes a signed 16-bit number; \uc1 of the header says one "?" follows
            out += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
    }
    return out;
}

} // namespace

QString mailEventFileName(const QDateTime& time, const QByteArray& key)
{
    return QStringLiteral("EMI_") + time.toUTC().toString(QStringLiteral("yyyyMMdd_HHmmss")) +
           QLatin1Char('_') + keyHash(key) + QStringLiteral(".emi");
}

QString mailBodyRtf(const QString& text, bool* cut)
{
    static const QString head =
        Global::ResolveRes(569, {Global::ResolveRes(505), Global::ResolveRes(516)});
    static const QString tail = Global::ResolveRes(570);
    const qsizetype room = DataFiles::MaxTextBytes - head.size() - tail.size();
    // One conversion of the whole text is the common case; line by line
    // only when it does not fit, to keep whole lines.
    QString body = text.isEmpty() ? QString() : rtfWords(text + QLatin1String(LineEnd));
    bool left = false;
    if (body.size() > room) {
        body.clear();
        for (const QString& line : text.split(QLatin1String(LineEnd))) {
            const QString rtf = rtfWords(line + QLatin1String(LineEnd));
            if (body.size() + rtf.size() > room) {
                left = true;
                break;
            }
            body += rtf;
        }
    }
    if (cut)
        *cut = left;
    return head + body + tail;
}

QString htmlMailText(const QString& html)
{
    static const QRegularExpression hidden(QStringLiteral("<(head|style|script)\\b.*?</\\1\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression breaks(
        QStringLiteral("<(br|/?p|/?div|/?tr|/?li|/?h[1-6]|/?table|/?ul|/?ol)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    QString text = html;
    text.remove(hidden);
    text.replace(blanks, QStringLiteral(" "));
    text.replace(breaks, QStringLiteral("\r\n"));
    text = Routines_Converters::HTMLtoTXT(text);
    QStringList lines = text.split(QLatin1String(LineEnd));
    for (QString& line : lines)
        line = line.trimmed();
    // Paragraph and block ends give runs of empty lines: one stands for all.
    QStringList kept;
    for (const QString& line : lines) {
        if (line.isEmpty() && (kept.isEmpty() || kept.last().isEmpty()))
            continue;
        kept << line;
    }
    return kept.join(QLatin1String(LineEnd));
}

MailImporter::MailImporter(const QString& jobFolder)
    : m_folder(jobFolder),
      m_batch(std::make_unique<Platform::NewFileBatch>(jobFolder, u"EMI_*.emi"))
{
    for (const QString& name :
         Platform::listEntries(m_folder, u"*.emi", Platform::EntryKind::Files)) {
        const QString hash = hashOfName(name);
        if (!hash.isEmpty())
            m_hashes.insert(hash);
    }
}

MailImporter::~MailImporter()
{
    // The batch being written needs its writer to the end.
    if (m_writing.valid())
        m_writing.wait();
}

void MailImporter::report(const MailOutcome& outcome)
{
    // Outcomes keep the messages' order: while files wait to be written,
    // the others wait with them.
    if (!m_held.isEmpty() || !m_heldWriting.isEmpty())
        m_held.append({outcome, QString(), false});
    else
        tell(outcome);
}

void MailImporter::tell(const MailOutcome& outcome)
{
    switch (outcome.kind) {
    case MailOutcome::Imported:
        ++m_summary.imported;
        break;
    case MailOutcome::Existing:
        ++m_summary.existing;
        break;
    case MailOutcome::Refused:
        m_summary.refused.append({outcome.source, outcome.why});
        break;
    }
    if (onMessage)
        onMessage(outcome);
}

void MailImporter::refuse(const QString& source, const QString& why)
{
    if (onRead)
        onRead();
    MailOutcome outcome;
    outcome.source = source;
    outcome.why = why;
    report(outcome);
}

void MailImporter::file(const MailText& mail, const QDateTime& arrival, const QString& source)
{
    if (onRead)
        onRead();
    MailOutcome outcome;
    outcome.source = source;
    outcome.subject = mail.subject;
    const QDateTime time = mail.date.isValid() ? mail.date : arrival;
    outcome.file = mailEventFileName(time, mail.key);
    const QString hash = keyHash(mail.key);
    if (m_hashes.contains(hash)) {
        outcome.kind = MailOutcome::Existing;
        report(outcome);
        return;
    }

    DataFiles::EventRecord record;
    record.Subject = Platform::Cp1252::transliterate(mail.subject);
    bool cut = false;
    record.Body = mailBodyRtf(mail.text, &cut);
    record.EntryFlagA = -1;
    record.EntryFlagB = -1;
    const QByteArray bytes = DataFiles::dataFileBytes(DataFiles::EventFileKind, record);
    outcome.kind = MailOutcome::Imported;
    if (cut)
        outcome.why = Global::ResolveRes(Str::TextCut);
    m_hashes.insert(hash);
    m_held.append({outcome, hash, true});
    m_writes.push_back({outcome.file, bytes, time});
    m_writeBytes += bytes.size();
    // Bounded so that memory, the open temporaries and what a stop leaves
    // to clear stay few, however long the mailbox.
    constexpr size_t BatchFiles = 512;
    constexpr qint64 BatchBytes = 4 << 20;
    if (m_writes.size() >= BatchFiles || m_writeBytes >= BatchBytes)
        startWriting();
}

namespace {

// Writes a batch's files beside their places, makes them durable and links
// them there: an import that is stopped leaves no half file, and one of
// that name that is there already is never replaced. The files' times are
// the messages'.
std::vector<Platform::NewFileBatch::Result> writeBatch(Platform::NewFileBatch& batch,
                                                       const std::vector<MailWrite>& writes)
{
    std::vector<Platform::NewFileBatch::Result> results(writes.size());
    std::vector<size_t> added;
    for (size_t i = 0; i < writes.size(); ++i) {
        const MailWrite& write = writes[i];
        try {
            batch.add(
                write.name, write.bytes.size(),
                [&](Platform::File& out) { out.writeAt(1, write.bytes); }, write.time);
            added.push_back(i);
        } catch (const Platform::RunTimeError& error) {
            results[i].error = error.description();
        }
    }
    std::vector<Platform::NewFileBatch::Result> committed = batch.commit();
    for (size_t i = 0; i < added.size(); ++i)
        results[added[i]] = std::move(committed[i]);
    return results;
}

} // namespace

void MailImporter::startWriting()
{
    finishWriting();
    // Written on a thread of its own while the next messages are read: the
    // file system's work and the flush's wait overlap the parse.
    m_heldWriting = std::exchange(m_held, {});
    m_writing = std::async(std::launch::async,
                           [batch = m_batch.get(), writes = std::exchange(m_writes, {})] {
                               return writeBatch(*batch, writes);
                           });
    m_writeBytes = 0;
}

void MailImporter::finishWriting()
{
    if (!m_writing.valid())
        return;
    const std::vector<Platform::NewFileBatch::Result> results = m_writing.get();
    const QList<Held> held = std::exchange(m_heldWriting, {});
    size_t next = 0;
    for (Held entry : held) {
        if (entry.written) {
            const Platform::NewFileBatch::Result& result = results[next++];
            if (result.outcome == Platform::NewFileBatch::Outcome::Existing) {
                entry.outcome.kind = MailOutcome::Existing;
                entry.outcome.why.clear();
            } else if (result.outcome == Platform::NewFileBatch::Outcome::Failed) {
                entry.outcome.kind = MailOutcome::Refused;
                entry.outcome.why = Global::ResolveRes(Str::CannotWrite, {result.error});
                m_hashes.remove(entry.hash);
            }
        }
        tell(entry.outcome);
    }
}

void MailImporter::commit()
{
    // A stop files nothing more: the messages read but not yet being written
    // are let go, uncounted, and a later import finds them new.
    if (m_stop) {
        m_held.removeIf([&](const Held& entry) {
            if (entry.written)
                m_hashes.remove(entry.hash);
            return entry.written;
        });
        m_writes.clear();
        m_writeBytes = 0;
    }
    startWriting();
    finishWriting();
}

void MailImporter::importMessage(const QByteArray& bytes, const QString& source,
                                 const QDateTime& arrival)
{
    GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.constData(), bytes.size()));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), parserOptions()));
    importOne(message.get(), arrival, source);
    commit();
}

void MailImporter::importOne(GMimeMessage* message, const QDateTime& arrival, const QString& source)
{
    QString why = Global::ResolveRes(Str::NotAMessage);
    const std::optional<MailText> mail = message ? mailText(message, false, why) : std::nullopt;
    if (mail)
        file(*mail, arrival, source);
    else
        refuse(source, why);
}

void MailImporter::importSource(const QString& source)
{
    if (m_stop)
        return;
    const QFileInfo info(source);
    if (info.isDir())
        importMaildir(source);
    else
        importFile(source);
    commit();
}

void MailImporter::importMaildir(const QString& path)
{
    bool any = false;
    for (const char* sub : {"cur", "new"}) {
        const QString folder = path + QLatin1Char('/') + QLatin1String(sub);
        if (!QFileInfo(folder).isDir())
            continue;
        any = true;
        for (const QString& name :
             Platform::listEntries(folder, u"*", Platform::EntryKind::Files)) {
            if (m_stop)
                return;
            // Hidden files are a mail program's own, never messages.
            if (!name.startsWith(QLatin1Char('.')))
                importFile(folder + QLatin1Char('/') + name);
        }
    }
    if (!any)
        refuse(path, Global::ResolveRes(Str::NotAMaildir));
}

void MailImporter::importFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        refuse(path, cannotRead(errnoText()));
        return;
    }
    char start[5] = {};
    const bool mbox = ::pread(fd, start, sizeof start, 0) == sizeof start &&
                      std::memcmp(start, "From ", sizeof start) == 0;
    // The stream owns the descriptor from here on.
    GPtr<GMimeStream> stream(g_mime_stream_fs_new(fd));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    const QDateTime modified = fileTime(path);
    if (!mbox) {
        GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), parserOptions()));
        importOne(message.get(), modified, path);
        return;
    }

    // Streamed: one message in memory at a time, whatever the mbox's size.
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MBOX);
    for (int number = 1; !m_stop && !g_mime_parser_eos(parser.get()); ++number) {
        GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), parserOptions()));
        const QString source = path + QLatin1Char('#') + QString::number(number);
        if (!message) {
            // The parser finds no further message boundary: the rest is
            // not an mbox's.
            refuse(source, Global::ResolveRes(Str::NotAMessage));
            break;
        }
        QString why;
        const std::optional<MailText> mail = mailText(message.get(), true, why);
        if (!mail) {
            refuse(source, why);
            continue;
        }
        // Only a message without a Date needs its arrival: parsing the
        // separator's time for every message would cost more than the rest
        // of its headers.
        QDateTime arrival;
        if (!mail->date.isValid()) {
            char* marker = g_mime_parser_get_mbox_marker(parser.get());
            arrival = markerTime(QByteArray(marker ? marker : ""));
            g_free(marker);
            if (!arrival.isValid())
                arrival = modified;
        }
        file(*mail, arrival, source);
    }
}

} // namespace Linking
