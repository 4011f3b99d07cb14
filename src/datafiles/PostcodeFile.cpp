// SPDX-License-Identifier: GPL-3.0-or-later
#include "PostcodeFile.h"

#include "DataFile.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace DataFiles {
const FileKind PostcodeFileKind{"Zux RAD", 0.003f, 784};
}

namespace Routines_RADs {

using namespace DataFiles::Postcode;
using DataFiles::FixedText;
using Platform::File;

namespace {

constexpr int NoMatchesFound = 912;
constexpr int FileDamaged = 946;
constexpr int FileUnreadable = 948;
constexpr int NotAuthorised = 750;

// The ten groups of four characters; code 0 stands in a group's empty places
// and never matches.
constexpr char GroupTable[] = {'A', 'B', 'V', '1', 'C', 'D', '2', 0,   'E', 'F', 'X', '3', 'G', 'H',
                               '4', 0,   'I', 'J', 'K', '5', 'L', 'M', '6', 0,   'N', 'O', 'P', '7',
                               'Q', 'R', 'U', '8', 'S', 'T', '9', 0,   'W', 'Y', 'Z', '0'};

// The 1-based place of `c` in the group table, 0 when it is in no group.
int tablePosition(QChar c)
{
    if (c.unicode() == 0 || c.unicode() > 127)
        return 0;
    const char* at =
        static_cast<const char*>(std::memchr(GroupTable, char(c.unicode()), sizeof GroupTable));
    return at ? int(at - GroupTable) + 1 : 0;
}

QString firstFour(const QString& postcode)
{
    return (postcode.left(4) + QStringLiteral("LLLL")).left(4);
}

QString& userNameOverride()
{
    static QString name;
    return name;
}

qint32 int32At(const char* p)
{
    return qFromLittleEndian<qint32>(p);
}

// Where the stored line that starts at `from` of `text` ends (the position of
// its byte 1), stepping over the second byte of each word; -1 when the text
// ends first.
qsizetype lineEnd(QByteArrayView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        const auto b = quint8(text[i]);
        if (b == quint8(EndsLine))
            return i;
        if (b >= 128)
            ++i;
    }
    return -1;
}

// Decodes the line at `from` into `out`: the position after its end, or -1
// when the text ends before it does. A word the dictionary lacks sets
// `damaged`.
template <class Word>
qsizetype decodeLine(QByteArrayView text, qsizetype from, Word&& word, QByteArray& out,
                     bool& damaged)
{
    static constexpr QByteArrayView PoBox("PO Box ");
    for (qsizetype i = from; i < text.size(); ++i) {
        const auto b = quint8(text[i]);
        if (b == quint8(EndsLine))
            return i + 1;
        if (b == quint8(PoBoxMark)) {
            out += PoBox;
        } else if (b >= 128) {
            if (++i >= text.size())
                return -1;
            const int number = ((b & 112) / 16) * 4096 + (b & 15) * 256 + quint8(text[i]);
            if (const auto bytes = word(number))
                out += *bytes;
            else
                damaged = true;
        } else {
            out += char(b);
        }
    }
    return -1;
}

int compareKeys(QByteArrayView a, QByteArrayView b)
{
    const int common = int(std::min(a.size(), b.size()));
    if (const int c = std::memcmp(a.data(), b.data(), size_t(common)))
        return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The key of the entry at `from` of a record's text, or an empty view when
// no entry starts there; `next` is where its lines begin. `bad` is set when
// the entry starts but its key does not end inside the text.
QByteArrayView entryKey(QByteArrayView text, qsizetype from, qsizetype& next, bool& bad)
{
    if (from >= text.size() || text[from] != StartsEntry)
        return {};
    const qsizetype end = from + 2 <= text.size() ? text.indexOf(EndsLine, from + 2) : -1;
    if (end < 0) {
        bad = true;
        return {};
    }
    next = end + 1;
    return text.sliced(from + 1, end - from - 1);
}

struct Damage
{
    QString what;
};

// The first address, or string 912 when there is none.
QString firstAddress(const QStringList& addresses)
{
    return addresses.isEmpty() ? Global::ResolveRes(NoMatchesFound) : addresses.first();
}

} // namespace

QString normalisePostcode(const QString& postcode)
{
    QString text = postcode;
    for (QChar& c : text)
        c = c.toUpper();
    text = text.simplified();
    const qsizetype n = text.size();
    if (n >= 4 && text[n - 3].isDigit() && text[n - 2].isLetter() && text[n - 1].isLetter() &&
        text[n - 4] != QLatin1Char(' '))
        text.insert(n - 3, QLatin1Char(' '));
    return text;
}

std::array<qint16, 4> postcodeCells(const QString& postcode)
{
    const QString k = firstFour(postcode);
    std::array<qint16, 4> cells{};
    for (int p = 0; p < 4; ++p) {
        int at = tablePosition(k[p]);
        if (at == 0)
            at = tablePosition(QLatin1Char('L'));
        cells[std::size_t(p)] = qint16((at + 3) / 4);
    }
    return cells;
}

QByteArray postcodeKey(const QString& postcode)
{
    const QString k = firstFour(postcode);
    int code = 0;
    for (int p = 0; p < 4; ++p) {
        QChar c = k[p].toUpper();
        if (c == QLatin1Char(' '))
            c = QLatin1Char('L');
        code = code * 4 + (tablePosition(c) + 3) % 4;
    }
    QByteArray key(1, char(code));
    key += Platform::Cp1252::encode(QStringView(postcode).mid(4));
    return key;
}

QString decodeAddressLine(QByteArrayView line, const WordSource& word, bool* damaged)
{
    QByteArray out;
    bool bad = false;
    decodeLine(line, 0, word, out, bad);
    if (damaged)
        *damaged = bad;
    return Platform::Cp1252::decode(out);
}

QString currentUserName()
{
    if (!userNameOverride().isEmpty())
        return userNameOverride();
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

void setCurrentUserName(const QString& name)
{
    userNameOverride() = name;
}

std::optional<PostcodeFile> PostcodeFile::open(const QString& path, const QString& shownName,
                                               bool quiet)
{
    using namespace DataFiles;
    PostcodeFile file;
    file.m_file = File::open(path, File::Binary | File::Read);
    file.m_size = file.m_file.size();
    const QByteArray head = file.m_file.readAt(1, ContentsPosition - 1);
    const HeaderCheck check = checkHeader(head, PostcodeFileKind);
    if (check.verdict != HeaderVerdict::Good) {
        file.m_file.close();
        if (!quiet && check.verdict == HeaderVerdict::WrongMagic)
            showWrongMagic(shownName, PostcodeFileKind);
        else if (!quiet)
            showWrongVersion(shownName, check.version, PostcodeFileKind);
        return std::nullopt;
    }
    RecordReader reader(head, HeaderPosition);
    reader.read(file.m_header);
    reader.read(file.m_users);
    if (file.m_header.requiresAuthorisation != 0) {
        const QString me = currentUserName().trimmed();
        const bool listed = std::any_of(file.m_users.names.begin(), file.m_users.names.end(),
                                        [&](const FixedText<30>& name) {
                                            const QString trimmed = name.text.trimmed();
                                            return !trimmed.isEmpty() && trimmed == me;
                                        });
        if (!listed) {
            file.m_file.close();
            if (!quiet)
                Global::showMessage(NotAuthorised, {shownName}, Platform::MsgButtons::Ok,
                                    Platform::MsgIcon::Information, Global::Str::TitleConfirm);
            return std::nullopt;
        }
    }
    // A file cut short in its table has no blocks past the cut.
    reader.read(file.m_blockTable);
    file.m_cache.reserve(CachedBlocks);
    return file;
}

QStringList PostcodeFile::users() const
{
    QStringList names;
    for (const FixedText<30>& name : m_users.names) {
        if (const QString trimmed = name.text.trimmed(); !trimmed.isEmpty())
            names << trimmed;
    }
    return names;
}

const PostcodeFile::CachedBlock* PostcodeFile::block(int number)
{
    ++m_uses;
    for (CachedBlock& cached : m_cache) {
        if (cached.block == number) {
            cached.lastUse = m_uses;
            return &cached;
        }
    }
    const qint32 position = m_blockTable[std::size_t(number)];
    if (position < ContentsPosition || position + 3 > m_size)
        return nullptr;
    const QByteArray head = m_file.readAt(position, 4);
    if (head.size() < 4)
        return nullptr;
    const int count = qFromLittleEndian<qint16>(head.constData());
    const qint64 length = qFromLittleEndian<quint16>(head.constData() + 2);
    if (count < 0 || count > WordsPerBlock || position + 3 + length > m_size)
        return nullptr;
    CachedBlock fresh;
    fresh.block = number;
    fresh.lastUse = m_uses;
    fresh.text = m_file.readAt(position + 4, length);
    ++m_blockReads;
    fresh.starts.reserve(std::size_t(count) + 1);
    qsizetype at = 0;
    for (int i = 0; i < count; ++i) {
        fresh.starts.push_back(quint16(at));
        const qsizetype end = fresh.text.indexOf('\0', at);
        if (end < 0)
            return nullptr;
        at = end + 1;
    }
    fresh.starts.push_back(quint16(at));
    if (m_cache.size() < CachedBlocks) {
        m_cache.push_back(std::move(fresh));
        return &m_cache.back();
    }
    // The block read longest ago gives way.
    auto oldest =
        std::min_element(m_cache.begin(), m_cache.end(),
                         [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; });
    *oldest = std::move(fresh);
    return &*oldest;
}

std::optional<QByteArray> PostcodeFile::word(int number)
{
    const std::optional<QByteArrayView> found = wordView(number);
    return found ? std::optional(found->toByteArray()) : std::nullopt;
}

std::optional<QByteArrayView> PostcodeFile::wordView(int number)
{
    if (number < 0 || number >= MaxWords)
        return std::nullopt;
    const CachedBlock* cached = block(number / WordsPerBlock);
    const auto index = std::size_t(number % WordsPerBlock);
    if (!cached || index + 1 >= cached->starts.size())
        return std::nullopt;
    const qsizetype from = cached->starts[index];
    return QByteArrayView(cached->text).sliced(from, cached->starts[index + 1] - 1 - from);
}

PostcodeMatches PostcodeFile::lookup(const QString& postcode)
{
    PostcodeMatches result;
    const std::array<qint16, 4> cells = postcodeCells(postcode);
    const QByteArray key = postcodeKey(postcode);
    const auto inside = [&](qint64 position, qint64 length) {
        return position >= ContentsPosition && position + length - 1 <= m_size;
    };

    // The tables met on the way down: no table, and no record of the chain, may lie over one,
    // so that a table that leads back to itself or into another is damage, not a way round.
    std::array<qint64, Levels> tables{};
    int met = 0;
    const auto checkClear = [&](qint64 position, qint64 length, const QString& what) {
        for (int level = 0; level < met; ++level) {
            const qint64 table = tables[std::size_t(level)];
            if (position < table + TableSize && table < position + length)
                throw Damage{QStringLiteral("%1 at %2 lies over the table of level %3 at %4")
                                 .arg(what)
                                 .arg(position)
                                 .arg(level + 1)
                                 .arg(table)};
        }
    };

    try {
        // Down the four levels of tables.
        qint32 position = m_header.rootTable;
        for (int level = 0; level < Levels; ++level) {
            if (!inside(position, TableSize))
                throw Damage{QStringLiteral("the table of level %1 at %2 lies outside the file")
                                 .arg(level + 1)
                                 .arg(position)};
            checkClear(position, TableSize, QStringLiteral("the table of level %1").arg(level + 1));
            tables[std::size_t(met++)] = position;
            const QByteArray table =
                m_file.readAt(position + (cells[std::size_t(level)] - 1) * 4, 4);
            if (table.size() < 4)
                throw Damage{QStringLiteral("the file is cut short")};
            position = int32At(table.constData());
            if (position == -1) {
                result.text = firstAddress(result.addresses);
                return result;
            }
        }

        // The chain's records lie one after another: halve it to the record
        // before the first whose first key is not below the one looked for.
        const qint64 first = position;
        if (!inside(first, RecordSize))
            throw Damage{
                QStringLiteral("the address record at %1 lies outside the file").arg(first)};
        checkClear(first, RecordSize, QStringLiteral("the chain"));
        const qint32 following = int32At(m_file.readAt(first + 4, 4).constData());
        if (following < 0 || !inside(first, (qint64(following) + 1) * RecordSize))
            throw Damage{
                QStringLiteral("the chain at %1 runs past the end of the file").arg(first)};
        checkClear(first, (qint64(following) + 1) * RecordSize, QStringLiteral("the chain"));
        qint64 low = 0, high = qint64(following) + 1;
        while (low < high) {
            const qint64 middle = (low + high) / 2;
            const QByteArray text = m_file.readAt(first + middle * RecordSize + 8, 24);
            qsizetype next = 0;
            bool bad = false;
            const QByteArrayView firstKey = entryKey(text, 0, next, bad);
            if (firstKey.isNull() && !bad)
                throw Damage{QStringLiteral("the address record at %1 holds no entry")
                                 .arg(first + middle * RecordSize)};
            if (!bad && compareKeys(firstKey, key) < 0)
                low = middle + 1;
            else
                high = middle;
        }
        qint64 record = first + std::max<qint64>(low - 1, 0) * RecordSize;

        // Then along the chain while the keys are not past it. Every `next`
        // lies after its record, so the walk cannot come round again.
        QByteArray out;
        std::array<QByteArray, StoredLines> line;
        const QByteArray postcodeBytes = Platform::Cp1252::encode(postcode);
        const auto word = [this](int number) { return wordView(number); };
        for (;;) {
            const QByteArray bytes = m_file.readAt(record, RecordSize);
            if (bytes.size() < RecordSize)
                throw Damage{QStringLiteral("the file is cut short")};
            const QByteArrayView text = QByteArrayView(bytes).sliced(8);
            qsizetype at = 0;
            for (;;) {
                qsizetype lines = 0;
                bool bad = false;
                const QByteArrayView entry = entryKey(text, at, lines, bad);
                if (bad)
                    throw Damage{QStringLiteral("an address entry of the record at %1 is cut short")
                                     .arg(record)};
                if (entry.isNull())
                    break;
                const int order = compareKeys(entry, key);
                if (order > 0) {
                    result.text = firstAddress(result.addresses);
                    return result;
                }
                at = lines;
                for (QByteArray& one : line) {
                    if (order < 0) {
                        const qsizetype end = lineEnd(text, at);
                        at = end < 0 ? -1 : end + 1;
                    } else {
                        bool missing = false;
                        one.clear();
                        at = decodeLine(text, at, word, one, missing);
                        if (missing)
                            throw Damage{QStringLiteral("a word of the record at %1 is not in the "
                                                        "dictionary")
                                             .arg(record)};
                    }
                    if (at < 0)
                        throw Damage{
                            QStringLiteral("an address entry of the record at %1 is cut short")
                                .arg(record)};
                }
                if (order == 0) {
                    // Joined as bytes and decoded once.
                    out = line[0];
                    if (!line[0].isEmpty() && !line[1].isEmpty())
                        out += ", ";
                    out += line[1];
                    for (std::size_t i = 2; i <= 5; ++i)
                        out += '|' + line[i];
                    out += '|' + postcodeBytes + '|' + line[6];
                    result.addresses << Platform::Cp1252::decode(out);
                }
            }
            const qint32 next = int32At(bytes.constData());
            if (next == -1)
                break;
            if (next <= record)
                throw Damage{
                    QStringLiteral("the chain loops back from %1 to %2").arg(record).arg(next)};
            if (!inside(next, RecordSize))
                throw Damage{
                    QStringLiteral("the address record at %1 lies outside the file").arg(next)};
            checkClear(next, RecordSize, QStringLiteral("the address record"));
            record = next;
        }
    } catch (const Damage& damage) {
        result.addresses.clear();
        result.damage = damage.what;
    }
    result.text = firstAddress(result.addresses);
    return result;
}

QString postcodeFilePath(const QString& fileName)
{
    if (fileName.contains(QLatin1Char('/')))
        return fileName;
    return Platform::findNoCase(Global::checkedPaths().radsFolder, fileName);
}

namespace {

struct OpenFile
{
    QString name;
    std::optional<PostcodeFile> file;
};

OpenFile& openFile()
{
    static OpenFile open;
    return open;
}

PostcodeFile* openNamed(const QString& fileName)
{
    OpenFile& open = openFile();
    if (open.file && open.name.compare(fileName, Qt::CaseInsensitive) == 0)
        return &*open.file;
    open.file.reset();
    open.name = fileName;
    open.file = PostcodeFile::open(postcodeFilePath(fileName), fileName);
    return open.file ? &*open.file : nullptr;
}

} // namespace

PostcodeMatches LookupPostcode(const QString& fileName, const QString& postcode)
{
    PostcodeMatches nothing;
    nothing.text = Global::ResolveRes(NoMatchesFound);
    nothing.readWhole = false;
    try {
        PostcodeFile* file = openNamed(fileName);
        if (!file)
            return nothing;
        PostcodeMatches found = file->lookup(normalisePostcode(postcode));
        if (!found.damage.isEmpty()) {
            found.readWhole = false;
            found.problem =
                Global::ResolveRes(FileDamaged, {postcodeFilePath(fileName), found.damage});
        }
        return found;
    } catch (const Platform::RunTimeError& error) {
        openFile().file.reset();
        nothing.problem =
            Global::ResolveRes(FileUnreadable, {postcodeFilePath(fileName), error.description()});
        return nothing;
    } catch (...) {
        openFile().file.reset();
        Global::reportCurrentFault("Routines_RADs:LookupPostcode");
        return nothing;
    }
}

std::optional<QByteArray> LookupWord(int number)
{
    try {
        PostcodeFile* file =
            openFile().file ? &*openFile().file : openNamed(QStringLiteral("UKPAF.BIN"));
        return file ? file->word(number) : std::nullopt;
    } catch (...) {
        openFile().file.reset();
        Global::reportCurrentFault("Routines_RADs:LookupWord");
        return std::nullopt;
    }
}

void CloseRADs()
{
    openFile().file.reset();
    openFile().name.clear();
}

} // namespace Routines_RADs
