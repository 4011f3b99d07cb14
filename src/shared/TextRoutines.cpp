// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextRoutines.h"

#include "platform/Cp1252.h"
#include "platform/Text.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace Global {
namespace {

struct Pair
{
    QString find;
    QString replacement;
};

// True when an occurrence of `a` can share characters with an occurrence of
// `b`: one holds the other, or an end of one is the start of the other.
bool canOverlap(QStringView a, QStringView b)
{
    if (a.contains(b) || b.contains(a))
        return true;
    for (qsizetype n = 1; n < a.size() && n < b.size(); ++n) {
        if (a.last(n) == b.first(n) || b.last(n) == a.first(n))
            return true;
    }
    return false;
}

// Pairs that one left-to-right pass can apply together, trying them in table
// order at each position, with the same result as one pass per pair.
struct Group
{
    std::vector<Pair> pairs;
    // The pairs (indexes, in table order) whose find starts with a Latin-1
    // character, by that character; the rest are tried at every position.
    std::array<std::vector<int>, 256> byFirst;
    std::vector<int> others;
    QChar onlyFirst; // the one first character of every find, if they share one
    bool oneFirst = true;

    // A later pair joins only if it can never match across a replacement
    // made before it (which the pass would not look at again) nor across a
    // find of an earlier pair (which the pass would have taken first). An
    // empty replacement joins its neighbours, so nothing may follow it.
    bool admits(const Pair& next) const
    {
        for (const Pair& earlier : pairs) {
            if (earlier.replacement.isEmpty() || canOverlap(next.find, earlier.replacement) ||
                canOverlap(next.find, earlier.find))
                return false;
        }
        return true;
    }

    void add(Pair pair)
    {
        const QChar first = pair.find.front();
        if (pairs.empty())
            onlyFirst = first;
        else if (first != onlyFirst)
            oneFirst = false;
        const int index = int(pairs.size());
        if (first.unicode() < 256)
            byFirst[first.unicode()].push_back(index);
        else
            others.push_back(index);
        pairs.push_back(std::move(pair));
    }

    bool startsWith(const QChar* at, qsizetype room, const QString& find) const
    {
        const qsizetype size = find.size();
        if (size > room)
            return false;
        const QChar* f = find.constData();
        for (qsizetype k = 1; k < size; ++k) {
            if (at[k] != f[k])
                return false;
        }
        return true;
    }

    // The pair that matches at `pos`, or -1.
    int matchAt(QStringView text, qsizetype pos) const
    {
        const char16_t c = text[pos].unicode();
        const QChar* at = text.data() + pos;
        const qsizetype room = text.size() - pos;
        if (c < 256) {
            for (int i : byFirst[c]) {
                if (startsWith(at, room, pairs[size_t(i)].find))
                    return i;
            }
        }
        for (int i : others) {
            if (at[0] == pairs[size_t(i)].find.front() &&
                startsWith(at, room, pairs[size_t(i)].find))
                return i;
        }
        return -1;
    }

    // The text with the group's pairs applied; the same text, shared, when
    // none matches.
    QString apply(const QString& text) const
    {
        QString out;
        qsizetype copied = 0;
        qsizetype pos = 0;
        const qsizetype size = text.size();
        while (pos < size) {
            if (oneFirst) {
                pos = text.indexOf(onlyFirst, pos);
                if (pos < 0)
                    break;
            } else if (others.empty()) {
                const QChar* data = text.data();
                while (pos < size &&
                       (data[pos].unicode() >= 256 || byFirst[data[pos].unicode()].empty()))
                    ++pos;
                if (pos == size)
                    break;
            }
            const int i = matchAt(text, pos);
            if (i < 0) {
                ++pos;
                continue;
            }
            if (out.isNull())
                out.reserve(size + size / 8 + 16);
            const Pair& pair = pairs[size_t(i)];
            out.append(QStringView(text).sliced(copied, pos - copied));
            out.append(pair.replacement);
            pos += pair.find.size();
            copied = pos;
        }
        if (out.isNull())
            return text;
        out.append(QStringView(text).sliced(copied));
        return out;
    }
};

using Plan = std::vector<Group>;

std::shared_ptr<const Plan> makePlan(QStringView table)
{
    auto plan = std::make_shared<Plan>();
    const QList<QStringView> items = table.split(ReplaceTableSeparator);
    for (qsizetype i = 0; i < items.size(); i += 2) {
        Pair pair{items[i].toString(), i + 1 < items.size() ? items[i + 1].toString() : QString()};
        if (pair.find.isEmpty())
            continue;
        if (plan->empty() || !plan->back().admits(pair))
            plan->emplace_back();
        plan->back().add(std::move(pair));
    }
    return plan;
}

// The callers use a handful of fixed tables; their plans are made once.
std::shared_ptr<const Plan> planFor(QStringView table)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const Plan>> plans;
    QMutexLocker lock(&mutex);
    const QString key = table.toString();
    auto found = plans.constFind(key);
    if (found != plans.constEnd())
        return *found;
    if (plans.size() >= 32)
        plans.clear();
    auto plan = makePlan(table);
    plans.insert(key, plan);
    return plan;
}

FontCheck& fontCheck()
{
    static FontCheck check;
    return check;
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

// The character that a numeric reference from `start` (at "&#") names, and
// the reference's length, or a length of 0 when it is no reference.
struct Reference
{
    char32_t code = 0;
    qsizetype length = 0;
};

Reference readNumericReference(QStringView text, qsizetype start)
{
    qsizetype pos = start + 2;
    int base = 10;
    if (pos < text.size() && (text[pos] == u'x' || text[pos] == u'X')) {
        base = 16;
        ++pos;
    }
    const qsizetype digitsFrom = pos;
    char32_t code = 0;
    bool tooLarge = false;
    for (; pos < text.size(); ++pos) {
        const int digit = Platform::hexDigitValue(text[pos]);
        if (digit < 0 || digit >= base)
            break;
        if (!tooLarge) {
            code = code * char32_t(base) + char32_t(digit);
            tooLarge = code > 0x10FFFF;
        }
    }
    if (pos == digitsFrom || pos >= text.size() || text[pos] != u';' || tooLarge || code == 0 ||
        (code >= 0xD800 && code <= 0xDFFF))
        return {};
    if (code >= 128 && code < 160)
        code = Platform::Cp1252::toChar(uchar(code)).unicode();
    return {code, pos + 1 - start};
}

} // namespace

QString KwReplace(const QString& text, QStringView table)
{
    const std::shared_ptr<const Plan> plan = planFor(table);
    QString result = text;
    for (const Group& group : *plan)
        result = group.apply(result);
    return result;
}

QString KwStripHTML(const QString& text)
{
    if (!text.contains(u'<'))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'<', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'>', open + 1);
        if (close < 0)
            break;
        out.append(QStringView(text).sliced(pos, open - pos));
        pos = close + 1;
    }
    out.append(QStringView(text).sliced(pos));
    return out;
}

QString KwConvertHTMLCodesToASCII(const QString& text, bool escapeRtf)
{
    QString out;
    qsizetype copied = 0;
    qsizetype pos = 0;
    while ((pos = text.indexOf(QLatin1String("&#"), pos)) >= 0) {
        const Reference ref = readNumericReference(text, pos);
        if (ref.length == 0) {
            ++pos;
            continue;
        }
        if (out.isNull())
            out.reserve(text.size());
        out.append(QStringView(text).sliced(copied, pos - copied));
        if (escapeRtf && (ref.code == '\\' || ref.code == '{' || ref.code == '}'))
            out.append(QLatin1Char('\\'));
        out.append(QChar::fromUcs4(ref.code));
        pos += ref.length;
        copied = pos;
    }
    if (out.isNull())
        return text;
    out.append(QStringView(text).sliced(copied));
    return out;
}

QString KwLoseDblSpaces(const QString& text)
{
    if (!text.contains(QLatin1String("  ")))
        return text;
    QString out(text.size(), Qt::Uninitialized);
    QChar* to = out.data();
    bool afterBlank = false;
    for (const QChar c : text) {
        const bool blank = c == u' ';
        if (!(blank && afterBlank))
            *to++ = c;
        afterBlank = blank;
    }
    out.truncate(to - out.constData());
    return out;
}

QString KwKeepAtoZ(QStringView text, qsizetype maxLength)
{
    QString out;
    for (const QChar c : text) {
        if (out.size() >= maxLength)
            break;
        if (isAsciiLetter(c))
            out.append(c);
    }
    return out;
}

int KwFontExists(const QString& face)
{
    const FontCheck& check = fontCheck();
    return check && check(face) ? 1 : 0;
}

FontCheck setFontCheck(FontCheck check)
{
    FontCheck previous = std::move(fontCheck());
    fontCheck() = std::move(check);
    return previous;
}

namespace {

constexpr int GroupBits = 7;
constexpr int CodeBits = 6;
constexpr int Escape = 63;
constexpr unsigned char GroupBase = 3;
constexpr unsigned char LastGroup = GroupBase + (1 << GroupBits) - 1;

// The codes of an alphabet's characters (-1 for the others); empty when the
// alphabet is not 63 distinct characters.
std::optional<std::array<int, 256>> alphabetCodes(QByteArrayView alphabet)
{
    if (alphabet.size() != Escape)
        return std::nullopt;
    std::array<int, 256> codes;
    codes.fill(-1);
    for (int i = 0; i < Escape; ++i) {
        int& code = codes[static_cast<unsigned char>(alphabet[i])];
        if (code >= 0)
            return std::nullopt;
        code = i;
    }
    return codes;
}

} // namespace

std::optional<QByteArray> KwZip(QByteArrayView text, qsizetype outputLength,
                                QByteArrayView alphabet)
{
    const auto codes = alphabetCodes(alphabet);
    if (!codes)
        return std::nullopt;
    QByteArray out;
    out.reserve(text.size() * 2);
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](quint32 value, int width) {
        bits = (bits << width) | value;
        count += width;
        while (count >= GroupBits) {
            count -= GroupBits;
            out.append(static_cast<char>(GroupBase + ((bits >> count) & 0x7F)));
        }
        bits &= (1u << count) - 1;
    };
    for (const char ch : text) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        const int code = (*codes)[byte];
        if (code >= 0) {
            put(static_cast<quint32>(code), CodeBits);
        } else {
            put(Escape, CodeBits);
            put(byte, 8);
        }
    }
    if (count > 0)
        put((1u << (GroupBits - count)) - 1, GroupBits - count);
    if (out.size() > outputLength)
        return std::nullopt;
    return out;
}

bool KwUnZipInto(QByteArray& out, QByteArrayView packed, qsizetype outputLength,
                 QByteArrayView alphabet)
{
    if (alphabet.size() != Escape)
        return false;
    const qsizetype end = packed.indexOf('\x01');
    if (end >= 0)
        packed = packed.first(end);
    // Each byte holds 7 bits and each character takes at least 6.
    out.resize(packed.size() * GroupBits / CodeBits + 1);
    char* next = out.data();
    // The bits not taken yet are the lowest `count` of `bits`; what lies above
    // them is never read, so nothing needs to clear it.
    quint32 bits = 0;
    int count = 0;
    bool escaped = false;
    for (const char ch : packed) {
        const unsigned group = static_cast<unsigned char>(ch) - unsigned(GroupBase);
        if (group > unsigned(LastGroup - GroupBase))
            return false;
        bits = (bits << GroupBits) | group;
        count += GroupBits;
        for (;;) {
            if (!escaped) {
                if (count < CodeBits)
                    break;
                count -= CodeBits;
                const unsigned code = (bits >> count) & ((1u << CodeBits) - 1);
                if (code != unsigned(Escape)) {
                    *next++ = alphabet[code];
                    continue;
                }
                escaped = true;
            }
            if (count < 8)
                break;
            count -= 8;
            *next++ = static_cast<char>(bits >> count);
            escaped = false;
        }
    }
    out.truncate(next - out.constData());
    return out.size() <= outputLength;
}

std::optional<QByteArray> KwUnZip(QByteArrayView packed, qsizetype outputLength,
                                  QByteArrayView alphabet)
{
    QByteArray out;
    if (!KwUnZipInto(out, packed, outputLength, alphabet))
        return std::nullopt;
    return out;
}

} // namespace Global
