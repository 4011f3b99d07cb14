// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cp1252.h"

#include <array>

namespace Platform::Cp1252 {
namespace {

// Bytes 80 to 9F; every other byte is the Latin-1 character of the same code.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Every byte's character, so that decoding a long text is one look-up a byte.
constexpr std::array<char16_t, 256> Table = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[std::size_t(b)] = (b >= 0x80 && b < 0xA0) ? High[std::size_t(b - 0x80)] : char16_t(b);
    return table;
}();

int byteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < int(High.size()); ++i) {
        if (High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QChar toChar(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? QChar(High[byte - 0x80]) : QChar(byte);
}

QString decode(const char* bytes, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = Table[in[i]];
    return text;
}

char toByte(QChar ch)
{
    const int b = byteOf(ch.unicode());
    return b < 0 ? '?' : static_cast<char>(b);
}

bool canEncode(QChar ch)
{
    return byteOf(ch.unicode()) >= 0;
}

QByteArray encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = toByte(text[i]);
    return bytes;
}

} // namespace Platform::Cp1252
