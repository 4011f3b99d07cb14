// SPDX-License-Identifier: GPL-3.0-or-later
// One reader for every RTF text the program meets: the converters' own and what
// word processors, rich-edit controls and mail programs write. It reads in one
// pass and keeps the group states on a stack of its own, so that neither deep
// nesting nor damaged input can exhaust the call stack, and hands what it reads
// to a sink: plain text for the job-folder scan, formatted runs for the views.
#include "RtfReader.h"

#include "RtfRuns.h"
#include "platform/Cp1252.h"
#include "platform/UiHost.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Routines_Converters {
namespace {

using namespace Rtf;

constexpr int MaxHalfPoints = 3276; // 1638 pt, the largest size a rich-text control takes
constexpr int MaxUnicodeSkip = 255;
// Deeper groups share the state of the deepest one kept: real documents nest a
// few dozen levels, and a damaged one must not make the stack grow with it.
constexpr qsizetype MaxKeptDepth = 4096;
// Characters of input read between two runs of the event queue.
constexpr qsizetype EventInterval = 64 * 1024;
// Control words are at most 32 letters; a longer one is read and ignored.
constexpr qsizetype MaxWordLength = 32;

// Where the text of a group goes.
enum class Dest : quint8
{
    Text,
    Skip,
    FontTable,
    ColourTable
};

enum class Break : quint8
{
    Paragraph,
    Line,
    Row,
    Page
};

struct GroupState
{
    CharFormat format;
    int unicodeSkip = 1; // \uc
    Dest dest = Dest::Text;
};

enum class Word : quint8
{
    Unknown,
    Paragraph, // \par, \sect
    Line,
    Page,
    Row,
    Tab, // \tab, \cell
    Char,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Plain,
    Font,
    FontCharset,
    FontCodePage,
    FontFixed, // \fmodern
    FontPitch,
    FontSize,
    Colour,
    Unicode,
    UnicodeSkip,
    Bin,
    CodePageAnsi,
    CodePageMac,
    CodePagePc,
    CodePagePca,
    AnsiCodePage,
    DefaultFont,
    FontTable,
    ColourTable,
    Red,
    Green,
    Blue,
    SkipDest,
};

struct WordEntry
{
    std::string_view name;
    Word word;
    char16_t ch = 0; // for Word::Char
};

constexpr WordEntry WordTable[] = {
    {"par", Word::Paragraph},
    {"sect", Word::Paragraph},
    {"line", Word::Line},
    {"page", Word::Page},
    {"row", Word::Row},
    {"nestrow", Word::Row},
    {"tab", Word::Tab},
    {"cell", Word::Tab},
    {"nestcell", Word::Tab},
    {"emdash", Word::Char, 0x2014},
    {"endash", Word::Char, 0x2013},
    {"bullet", Word::Char, 0x2022},
    {"lquote", Word::Char, 0x2018},
    {"rquote", Word::Char, 0x2019},
    {"ldblquote", Word::Char, 0x201C},
    {"rdblquote", Word::Char, 0x201D},
    {"emspace", Word::Char, 0x2003},
    {"enspace", Word::Char, 0x2002},
    {"qmspace", Word::Char, 0x2005},
    {"zwbo", Word::Char, 0x200B},
    {"zwnj", Word::Char, 0x200C},
    {"zwj", Word::Char, 0x200D},
    {"ltrmark", Word::Char, 0x200E},
    {"rtlmark", Word::Char, 0x200F},
    {"zwnbo", Word::Char, 0x2060},
    {"b", Word::Bold},
    {"i", Word::Italic},
    {"ul", Word::Underline},
    {"uld", Word::Underline},
    {"uldash", Word::Underline},
    {"uldashd", Word::Underline},
    {"uldashdd", Word::Underline},
    {"uldb", Word::Underline},
    {"ulhwave", Word::Underline},
    {"ulldash", Word::Underline},
    {"ulth", Word::Underline},
    {"ulthd", Word::Underline},
    {"ulthdash", Word::Underline},
    {"ulthdashd", Word::Underline},
    {"ulthdashdd", Word::Underline},
    {"ulthldash", Word::Underline},
    {"ululdbwave", Word::Underline},
    {"ulw", Word::Underline},
    {"ulwave", Word::Underline},
    {"ulnone", Word::UnderlineNone},
    {"plain", Word::Plain},
    {"f", Word::Font},
    {"fcharset", Word::FontCharset},
    {"cpg", Word::FontCodePage},
    {"fmodern", Word::FontFixed},
    {"fprq", Word::FontPitch},
    {"fs", Word::FontSize},
    {"cf", Word::Colour},
    {"u", Word::Unicode},
    {"uc", Word::UnicodeSkip},
    {"bin", Word::Bin},
    {"ansi", Word::CodePageAnsi},
    {"mac", Word::CodePageMac},
    {"pc", Word::CodePagePc},
    {"pca", Word::CodePagePca},
    {"ansicpg", Word::AnsiCodePage},
    {"deff", Word::DefaultFont},
    {"fonttbl", Word::FontTable},
    {"colortbl", Word::ColourTable},
    {"red", Word::Red},
    {"green", Word::Green},
    {"blue", Word::Blue},
    // Destinations whose text is not part of what the reader shows.
    {"aftncn", Word::SkipDest},
    {"aftnsep", Word::SkipDest},
    {"aftnsepc", Word::SkipDest},
    {"annotation", Word::SkipDest},
    {"atnauthor", Word::SkipDest},
    {"atnid", Word::SkipDest},
    {"author", Word::SkipDest},
    {"bkmkend", Word::SkipDest},
    {"bkmkstart", Word::SkipDest},
    {"buptim", Word::SkipDest},
    {"category", Word::SkipDest},
    {"colorschememapping", Word::SkipDest},
    {"comment", Word::SkipDest},
    {"company", Word::SkipDest},
    {"creatim", Word::SkipDest},
    {"datastore", Word::SkipDest},
    {"doccomm", Word::SkipDest},
    {"docvar", Word::SkipDest},
    {"falt", Word::SkipDest},
    {"fchars", Word::SkipDest},
    {"filetbl", Word::SkipDest},
    {"fldinst", Word::SkipDest},
    {"footer", Word::SkipDest},
    {"footerf", Word::SkipDest},
    {"footerl", Word::SkipDest},
    {"footerr", Word::SkipDest},
    {"footnote", Word::SkipDest},
    {"ftncn", Word::SkipDest},
    {"ftnsep", Word::SkipDest},
    {"ftnsepc", Word::SkipDest},
    {"generator", Word::SkipDest},
    {"header", Word::SkipDest},
    {"headerf", Word::SkipDest},
    {"headerl", Word::SkipDest},
    {"headerr", Word::SkipDest},
    {"hlinkbase", Word::SkipDest},
    {"info", Word::SkipDest},
    {"keywords", Word::SkipDest},
    {"latentstyles", Word::SkipDest},
    {"lchars", Word::SkipDest},
    {"listoverridetable", Word::SkipDest},
    {"listtable", Word::SkipDest},
    {"listtext", Word::SkipDest},
    {"manager", Word::SkipDest},
    {"nonshppict", Word::SkipDest},
    {"object", Word::SkipDest},
    {"operator", Word::SkipDest},
    {"panose", Word::SkipDest},
    {"pict", Word::SkipDest},
    {"pntext", Word::SkipDest},
    {"pntxta", Word::SkipDest},
    {"pntxtb", Word::SkipDest},
    {"printim", Word::SkipDest},
    {"private", Word::SkipDest},
    {"revtbl", Word::SkipDest},
    {"revtim", Word::SkipDest},
    {"rsidtbl", Word::SkipDest},
    {"shppict", Word::SkipDest},
    {"stylesheet", Word::SkipDest},
    {"subject", Word::SkipDest},
    {"tc", Word::SkipDest},
    {"template", Word::SkipDest},
    {"themedata", Word::SkipDest},
    {"title", Word::SkipDest},
    {"txe", Word::SkipDest},
    {"userprops", Word::SkipDest},
    {"xe", Word::SkipDest},
    {"xmlnstbl", Word::SkipDest},
};

const WordEntry* lookupWord(std::string_view name)
{
    static const std::unordered_map<std::string_view, const WordEntry*> words = [] {
        std::unordered_map<std::string_view, const WordEntry*> map;
        for (const WordEntry& entry : WordTable)
            map.emplace(entry.name, &entry);
        return map;
    }();
    const auto it = words.find(name);
    return it == words.end() ? nullptr : it->second;
}

// The code page of a font's character set; 0 leaves the document's.
int charsetCodePage(int charset)
{
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

QList<QByteArray> decoderNames(int codePage)
{
    switch (codePage) {
    case 932:
        return {"windows-31j", "Shift_JIS"};
    case 936:
        return {"GBK"};
    case 949:
        return {"windows-949", "EUC-KR"};
    case 950:
        return {"Big5"};
    case 1361:
        return {"johab"};
    case 10000:
        return {"macintosh"};
    case 65001:
        return {"UTF-8"};
    default:
        return {"windows-" + QByteArray::number(codePage), "IBM" + QByteArray::number(codePage),
                "cp" + QByteArray::number(codePage)};
    }
}

// Byte of a character of the input, whose characters are the file's bytes
// read as Windows-1252; -1 for a character that came from elsewhere.
int inputByte(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    return Platform::Cp1252::canEncode(ch)
               ? static_cast<unsigned char>(Platform::Cp1252::toByte(ch))
               : -1;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Control characters other than the tab are no text: line ends in the source
// are there for the file's sake, and a character such as CR given by an escape
// would end a line behind the reader's back.
constexpr bool isControl(int c)
{
    return c < 0x20 && c != '\t';
}

// Characters that end a run of plain text.
constexpr std::array<bool, 128> RunEnd = [] {
    std::array<bool, 128> table{};
    for (int c = 0; c < 0x20; ++c)
        table[c] = isControl(c);
    table['\\'] = table['{'] = table['}'] = true;
    return table;
}();

template <class Sink>
class Reader
{
public:
    Reader(QStringView input, Tables& tables, Sink& sink)
        : m_in(input), m_tables(tables), m_sink(sink)
    {}

    void run()
    {
        const qsizetype size = m_in.size();
        qsizetype nextEvents = EventInterval;
        while (m_pos < size && !m_done) {
            if (m_pos >= nextEvents) {
                Platform::uiHost().doEvents();
                nextEvents = m_pos + EventInterval;
            }
            switch (m_in[m_pos].unicode()) {
            case u'{':
                ++m_pos;
                openGroup();
                break;
            case u'}':
                ++m_pos;
                closeGroup();
                break;
            case u'\\':
                ++m_pos;
                control();
                break;
            default:
                if (isControl(m_in[m_pos].unicode()))
                    ++m_pos;
                else
                    textRun();
            }
        }
        flushBytes();
    }

private:
    GroupState& state() { return m_stack.back(); }

    void openGroup()
    {
        flushBytes();
        m_pendingSkip = 0;
        if (m_stack.size() >= MaxKeptDepth) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_stack.empty() ? GroupState{} : m_stack.back());
    }

    void closeGroup()
    {
        flushBytes();
        m_pendingSkip = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.empty())
            return;
        // Some writers leave out the ";" of the last font entry.
        if (state().dest == Dest::FontTable)
            commitFont();
        m_stack.pop_back();
        // Like a rich-text control, the reader stops where the document's
        // outermost group ends.
        if (m_stack.empty())
            m_done = true;
    }

    // A character of the fallback text that follows \uN is dropped.
    bool consumePendingSkip()
    {
        if (m_pendingSkip == 0)
            return false;
        --m_pendingSkip;
        return true;
    }

    void textRun()
    {
        const qsizetype start = m_pos;
        const qsizetype size = m_in.size();
        const QChar* data = m_in.data();
        while (m_pos < size) {
            const char16_t c = data[m_pos].unicode();
            if (c < 128 && RunEnd[c])
                break;
            ++m_pos;
        }
        handleText(m_in.sliced(start, m_pos - start));
    }

    void handleText(QStringView text)
    {
        if (m_pendingSkip > 0) {
            const qsizetype n = std::min<qsizetype>(m_pendingSkip, text.size());
            text = text.sliced(n);
            m_pendingSkip -= int(n);
        }
        if (text.isEmpty())
            return;
        switch (state().dest) {
        case Dest::Text:
            appendSource(text);
            break;
        case Dest::Skip:
            break;
        case Dest::ColourTable:
            for (QChar ch : text) {
                if (ch == u';')
                    commitColour();
            }
            break;
        case Dest::FontTable:
            for (qsizetype semicolon; (semicolon = text.indexOf(u';')) >= 0;) {
                appendSource(text.first(semicolon));
                flushBytes();
                commitFont();
                text = text.sliced(semicolon + 1);
            }
            appendSource(text);
            break;
        }
    }

    // Text of the source: already characters when the code page is the one
    // the input was read with, bytes of another code page otherwise.
    void appendSource(QStringView text)
    {
        if (text.isEmpty())
            return;
        const int codePage = currentCodePage();
        if (codePage == DefaultCodePage) {
            flushBytes();
            put(text);
            return;
        }
        for (QChar ch : text) {
            const int byte = inputByte(ch);
            if (byte < 0) {
                flushBytes();
                put(QStringView(&ch, 1));
            } else {
                appendByte(byte, codePage);
            }
        }
    }

    void appendByte(int byte, int codePage)
    {
        if (!m_bytes.isEmpty() && m_bytesCodePage != codePage)
            flushBytes();
        m_bytesCodePage = codePage;
        m_bytes.append(char(byte));
    }

    // Bytes are decoded a run at a time, so that a character of a double-byte
    // code page is read whole.
    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        const QString text = decode(m_bytes, m_bytesCodePage);
        m_bytes.clear();
        put(text);
    }

    QString decode(const QByteArray& bytes, int codePage)
    {
        for (auto& [page, decoder] : m_decoders) {
            if (page == codePage)
                return decoder.isValid() ? decoder.decode(bytes) : Platform::Cp1252::decode(bytes);
        }
        QStringDecoder decoder;
        for (const QByteArray& name : decoderNames(codePage)) {
            decoder = QStringDecoder(name.constData(), QStringConverter::Flag::Stateless);
            if (decoder.isValid())
                break;
        }
        m_decoders.emplace_back(codePage, std::move(decoder));
        return decode(bytes, codePage);
    }

    int currentCodePage() const
    {
        const GroupState& s = m_stack.back();
        int codePage = 0;
        if (s.dest == Dest::FontTable) {
            codePage = m_font.codePage;
        } else {
            const int font = s.format.font < 0 ? m_tables.defaultFont : s.format.font;
            const auto it = m_tables.fonts.constFind(font);
            if (it != m_tables.fonts.cend())
                codePage = it->codePage;
        }
        return codePage > 0 ? codePage : m_tables.codePage;
    }

    void put(QStringView text)
    {
        switch (state().dest) {
        case Dest::Text:
            m_sink.text(text, state().format);
            break;
        case Dest::FontTable:
            m_font.name += text;
            break;
        case Dest::Skip:
        case Dest::ColourTable:
            break;
        }
    }

    void emitChar(QChar ch)
    {
        flushBytes();
        put(QStringView(&ch, 1));
    }

    void lineEnd(Break kind)
    {
        if (state().dest == Dest::Text)
            m_sink.lineEnd(kind, state().format);
    }

    void control()
    {
        if (m_pos >= m_in.size())
            return;
        const QChar ch = m_in[m_pos];
        if (isAsciiLetter(ch.unicode())) {
            controlWord();
            return;
        }
        ++m_pos;
        switch (ch.unicode()) {
        case u'\'':
            hexByte();
            return;
        case u'\\':
        case u'{':
        case u'}':
            handleText(QStringView(&ch, 1));
            return;
        default:
            break;
        }
        if (consumePendingSkip())
            return;
        switch (ch.unicode()) {
        case u'~':
            emitChar(QChar(0x00A0));
            break;
        case u'_':
            emitChar(QChar(0x2011));
            break;
        case u'*':
            flushBytes();
            state().dest = Dest::Skip;
            break;
        case u'\r':
        case u'\n':
            flushBytes();
            lineEnd(Break::Paragraph);
            break;
        default: // \- (optional hyphen) and symbols that show nothing
            break;
        }
    }

    void hexByte()
    {
        int value = 0;
        int digits = 0;
        for (; digits < 2 && m_pos < m_in.size(); ++digits, ++m_pos) {
            const char16_t c = m_in[m_pos].unicode();
            const int digit = isDigit(c) ? c - u'0' : hexLetter(c);
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        if (consumePendingSkip())
            return;
        const Dest dest = state().dest;
        if ((dest != Dest::Text && dest != Dest::FontTable) || digits == 0 || isControl(value))
            return;
        const int codePage = currentCodePage();
        if (codePage == DefaultCodePage)
            emitChar(Platform::Cp1252::toChar(static_cast<unsigned char>(value)));
        else
            appendByte(value, codePage);
    }

    static int hexLetter(char16_t c)
    {
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    }

    void controlWord()
    {
        const qsizetype size = m_in.size();
        const qsizetype start = m_pos;
        while (m_pos < size && isAsciiLetter(m_in[m_pos].unicode()))
            ++m_pos;
        const qsizetype length = m_pos - start;
        std::array<char, MaxWordLength> name{};
        for (qsizetype i = 0; i < std::min(length, MaxWordLength); ++i)
            name[size_t(i)] = char(m_in[start + i].unicode());

        bool negative = false;
        if (m_pos + 1 < size && m_in[m_pos] == u'-' && isDigit(m_in[m_pos + 1].unicode())) {
            negative = true;
            ++m_pos;
        }
        bool hasParam = false;
        qint64 value = 0;
        constexpr qint64 Saturated = qint64(std::numeric_limits<int>::max()) + 1;
        while (m_pos < size && isDigit(m_in[m_pos].unicode())) {
            hasParam = true;
            if (value < Saturated)
                value = value * 10 + (m_in[m_pos].unicode() - u'0');
            ++m_pos;
        }
        if (m_pos < size && m_in[m_pos] == u' ')
            ++m_pos;
        value = std::clamp<qint64>(negative ? -value : value, std::numeric_limits<int>::min(),
                                   std::numeric_limits<int>::max());
        const int param = int(value);

        const WordEntry* entry = length > MaxWordLength
                                     ? nullptr
                                     : lookupWord(std::string_view(name.data(), size_t(length)));
        if (!entry) {
            consumePendingSkip();
            return;
        }
        if (entry->word == Word::Bin) {
            // The data is never text, even as fallback text.
            if (hasParam && param > 0)
                m_pos += std::min<qsizetype>(param, size - m_pos);
            consumePendingSkip();
            return;
        }
        flushBytes();
        if (consumePendingSkip())
            return;
        handleWord(*entry, hasParam, param);
    }

    void handleWord(const WordEntry& entry, bool hasParam, int param)
    {
        GroupState& s = state();
        const bool on = !hasParam || param != 0;
        switch (entry.word) {
        case Word::Unknown:
        case Word::Bin:
            break;
        case Word::Paragraph:
            lineEnd(Break::Paragraph);
            break;
        case Word::Line:
            lineEnd(Break::Line);
            break;
        case Word::Page:
            lineEnd(Break::Page);
            break;
        case Word::Row:
            lineEnd(Break::Row);
            break;
        case Word::Tab:
            emitChar(u'\t');
            break;
        case Word::Char:
            emitChar(QChar(entry.ch));
            break;
        case Word::Bold:
            s.format.bold = on;
            break;
        case Word::Italic:
            s.format.italic = on;
            break;
        case Word::Underline:
            s.format.underline = on;
            break;
        case Word::UnderlineNone:
            s.format.underline = false;
            break;
        case Word::Plain:
            s.format = CharFormat{};
            break;
        case Word::Font:
            if (s.dest == Dest::FontTable) {
                commitFont();
                m_font = FontDef{};
                m_fontNumber = param;
                m_fontOpen = true;
            } else {
                s.format.font = std::max(param, 0);
            }
            break;
        case Word::FontCharset:
            if (s.dest == Dest::FontTable)
                m_font.codePage = charsetCodePage(param);
            break;
        case Word::FontCodePage:
            if (s.dest == Dest::FontTable && param > 0)
                m_font.codePage = param;
            break;
        case Word::FontFixed:
            if (s.dest == Dest::FontTable)
                m_font.fixedPitch = true;
            break;
        case Word::FontPitch:
            if (s.dest == Dest::FontTable && param == 1)
                m_font.fixedPitch = true;
            break;
        case Word::FontSize:
            s.format.halfPoints = param > 0 ? std::min(param, MaxHalfPoints) : DefaultHalfPoints;
            break;
        case Word::Colour:
            s.format.colour = std::max(param, 0);
            break;
        case Word::Unicode: {
            const int code = param < 0 ? param + 0x10000 : param;
            // Qt's documents keep the noncharacters FDD0 and FDD1 for frame
            // marks; none of that range is text.
            const bool nonCharacter = (code >= 0xFDD0 && code <= 0xFDEF) || code >= 0xFFFE;
            if (code >= 0 && code <= 0xFFFF && !isControl(code) && !nonCharacter)
                emitChar(QChar(char16_t(code)));
            m_pendingSkip = s.unicodeSkip;
            break;
        }
        case Word::UnicodeSkip:
            s.unicodeSkip = hasParam ? std::clamp(param, 0, MaxUnicodeSkip) : 1;
            break;
        case Word::CodePageAnsi:
            m_tables.codePage = DefaultCodePage;
            break;
        case Word::CodePageMac:
            m_tables.codePage = 10000;
            break;
        case Word::CodePagePc:
            m_tables.codePage = 437;
            break;
        case Word::CodePagePca:
            m_tables.codePage = 850;
            break;
        case Word::AnsiCodePage:
            m_tables.codePage = param > 0 ? param : DefaultCodePage;
            break;
        case Word::DefaultFont:
            m_tables.defaultFont = std::max(param, 0);
            break;
        case Word::FontTable:
            if (s.dest != Dest::Skip)
                s.dest = Dest::FontTable;
            break;
        case Word::ColourTable:
            if (s.dest != Dest::Skip) {
                s.dest = Dest::ColourTable;
                m_tables.colours.clear();
                m_colour = {};
            }
            break;
        case Word::Red:
        case Word::Green:
        case Word::Blue:
            if (s.dest == Dest::ColourTable) {
                const int component = std::clamp(param, 0, 255);
                if (entry.word == Word::Red)
                    m_colour.red = component;
                else if (entry.word == Word::Green)
                    m_colour.green = component;
                else
                    m_colour.blue = component;
                m_colour.given = true;
            }
            break;
        case Word::SkipDest:
            s.dest = Dest::Skip;
            break;
        }
    }

    void commitFont()
    {
        if (!m_fontOpen)
            return;
        m_font.name = m_font.name.trimmed();
        if (!m_font.name.isEmpty()) {
            m_tables.fonts.insert(m_fontNumber, m_font);
            m_fontOpen = false;
        }
        m_font.name.clear();
    }

    void commitColour()
    {
        m_tables.colours.append(m_colour);
        m_colour = {};
    }

    QStringView m_in;
    Tables& m_tables;
    Sink& m_sink;
    qsizetype m_pos = 0;
    bool m_done = false;
    std::vector<GroupState> m_stack;
    qsizetype m_overflow = 0; // groups opened beyond the kept depth
    int m_pendingSkip = 0;    // fallback characters still to drop after \uN
    QByteArray m_bytes;       // bytes of another code page waiting to be decoded
    int m_bytesCodePage = DefaultCodePage;
    std::vector<std::pair<int, QStringDecoder>> m_decoders;
    FontDef m_font; // the font table entry being read
    int m_fontNumber = 0;
    bool m_fontOpen = false;
    Colour m_colour; // the colour table entry being read
};

// A rich-text control folds the paragraph mark that ends the document into the
// document's own end, so a text saved with a closing \par reads back without
// an empty last line.
class PlainTextSink
{
public:
    void text(QStringView text, const CharFormat&) { m_text.append(text); }
    void lineEnd(Break kind, const CharFormat&)
    {
        m_text.append(u"\r\n");
        m_endsWithParagraph = kind == Break::Paragraph;
        m_paragraphEnd = m_text.size();
    }
    QString finish() &&
    {
        if (m_endsWithParagraph && m_paragraphEnd == m_text.size())
            m_text.chop(2);
        return std::move(m_text);
    }

private:
    QString m_text;
    qsizetype m_paragraphEnd = -1;
    bool m_endsWithParagraph = false;
};

// Collects the text with one run for each stretch of one format, so that a
// document is filled with one insertion a run.
class DocumentSink
{
public:
    void text(QStringView text, const CharFormat& format)
    {
        if (m_runs.empty() || !(m_runs.back().format == format))
            m_runs.push_back({m_text.size(), 0, format});
        m_text.append(text);
        m_runs.back().length += text.size();
    }
    void lineEnd(Break kind, const CharFormat& format)
    {
        // A break takes the format of the run before it: one run fewer, and the
        // mark itself shows nothing.
        if (m_runs.empty())
            m_runs.push_back({m_text.size(), 0, format});
        m_text.append(kind == Break::Line ? QChar::LineSeparator : QChar::ParagraphSeparator);
        ++m_runs.back().length;
        m_endsWithParagraph = kind == Break::Paragraph;
        m_paragraphEnd = m_text.size();
    }
    Runs finish(Tables&& tables) &&
    {
        if (m_endsWithParagraph && m_paragraphEnd == m_text.size()) {
            m_text.chop(1);
            --m_runs.back().length;
        }
        return {std::move(m_text), std::move(m_runs), std::move(tables)};
    }

private:
    QString m_text;
    std::vector<Run> m_runs;
    qsizetype m_paragraphEnd = -1;
    bool m_endsWithParagraph = false;
};

} // namespace

QString rtfToPlainText(const QString& rtf)
{
    if (!Rtf::isRtf(rtf))
        return rtf;
    Tables tables;
    PlainTextSink sink;
    Reader<PlainTextSink>(rtf, tables, sink).run();
    return std::move(sink).finish();
}

namespace Rtf {

bool isRtf(const QString& text)
{
    return text.startsWith(QLatin1String("{\\rtf"));
}

Runs readRuns(const QString& rtf)
{
    Tables tables;
    DocumentSink sink;
    Reader<DocumentSink>(rtf, tables, sink).run();
    return std::move(sink).finish(std::move(tables));
}

} // namespace Rtf
} // namespace Routines_Converters
