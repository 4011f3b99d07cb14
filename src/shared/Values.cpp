// SPDX-License-Identifier: GPL-3.0-or-later
#include "Values.h"

#include "platform/RunTimeError.h"
#include "platform/Text.h"

#include <QMetaType>

#include <cmath>
#include <limits>

namespace Global {
namespace {

using Platform::RunTimeError;

bool skippable(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

double radixNumber(QStringView text, qsizetype i, int radix)
{
    quint64 n = 0;
    int digits = 0;
    for (; i < text.size(); ++i) {
        if (skippable(text[i]))
            continue;
        const int d = Platform::hexDigitValue(text[i]);
        if (d < 0 || d >= radix)
            break;
        n = n * quint64(radix) + quint64(d);
        if (++digits > 32)
            throw RunTimeError(RunTimeError::Overflow);
    }
    // As the suite reads them: up to 16 bits a 16-bit integer, else a 32-bit one.
    if (n <= 0xFFFF && digits <= (radix == 16 ? 4 : 6))
        return double(qint16(quint16(n)));
    if (n > 0xFFFF'FFFFull)
        throw RunTimeError(RunTimeError::Overflow);
    return double(qint32(quint32(n)));
}

// Shortest text from printf-style digits: upper-case exponent with a sign and
// at least two digits, as "1E+15" and "2.5E-05".
QString classicExponent(QString text)
{
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e < 0)
        return text;
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    QChar sign = QLatin1Char('+');
    if (exponent.startsWith(QLatin1Char('-')) || exponent.startsWith(QLatin1Char('+'))) {
        sign = exponent[0];
        exponent.remove(0, 1);
    }
    while (exponent.size() > 2 && exponent.startsWith(QLatin1Char('0')))
        exponent.remove(0, 1);
    if (exponent.size() < 2)
        exponent.prepend(QLatin1Char('0'));
    return mantissa + QLatin1Char('E') + sign + exponent;
}

} // namespace

double val(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && skippable(text[i]))
        ++i;
    if (i + 1 < text.size() && text[i] == QLatin1Char('&')) {
        const QChar kind = text[i + 1].toUpper();
        if (kind == QLatin1Char('H'))
            return radixNumber(text, i + 2, 16);
        if (kind == QLatin1Char('O'))
            return radixNumber(text, i + 2, 8);
    }

    QByteArray number;
    bool digits = false;
    bool point = false;
    bool exponent = false;
    bool exponentDigits = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (skippable(c))
            continue;
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9') {
            number += char(u);
            (exponent ? exponentDigits : digits) = true;
        } else if ((u == '+' || u == '-') &&
                   (number.isEmpty() || (exponent && number.endsWith('E')))) {
            number += char(u);
        } else if (u == '.' && !point && !exponent) {
            number += '.';
            point = true;
        } else if ((u == 'E' || u == 'e' || u == 'D' || u == 'd') && digits && !exponent) {
            number += 'E';
            exponent = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    if (exponent && !exponentDigits) {
        // "12E" or "12E-" reads as 12.
        while (!number.isEmpty() && !std::isdigit(static_cast<unsigned char>(number.back())))
            number.chop(1);
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw RunTimeError(RunTimeError::Overflow);
    return value;
}

QString numberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return classicExponent(QString::number(value, 'g', 15));
}

QString floatText(float value)
{
    if (value == 0)
        return QStringLiteral("0");
    for (int precision = 1; precision < 9; ++precision) {
        const QString text = QString::number(double(value), 'g', precision);
        if (text.toFloat() == value)
            return classicExponent(text);
    }
    return classicExponent(QString::number(double(value), 'g', 9));
}

QString toText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Float:
        return floatText(value.toFloat());
    case QMetaType::Double:
        return numberText(value.toDouble());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return value.toString();
    default:
        break;
    }
    if (!value.canConvert<QString>())
        throw RunTimeError(RunTimeError::TypeMismatch);
    return value.toString();
}

double toNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::QString:
        return val(value.toString());
    case QMetaType::Bool:
        return value.toBool() ? -1 : 0;
    default:
        break;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        throw RunTimeError(RunTimeError::TypeMismatch);
    return number;
}

QString formatNumber(double value, QStringView pattern)
{
    const qsizetype pointAt = pattern.indexOf(QLatin1Char('.'));
    const QStringView integerPart = pointAt < 0 ? pattern : pattern.left(pointAt);
    const QStringView fractionPart = pointAt < 0 ? QStringView() : pattern.mid(pointAt + 1);
    const bool grouping = integerPart.contains(QLatin1Char(','));
    const int minInteger = int(integerPart.count(QLatin1Char('0')));
    const int minFraction = int(fractionPart.count(QLatin1Char('0')));
    const int maxFraction = minFraction + int(fractionPart.count(QLatin1Char('#')));

    const double scale = std::pow(10.0, maxFraction);
    const double rounded = std::round(std::fabs(value) * scale);
    if (!std::isfinite(rounded))
        throw RunTimeError(RunTimeError::Overflow);
    QString digits = QString::number(rounded, 'f', 0);
    if (digits.size() <= maxFraction)
        digits = QString(maxFraction - digits.size() + 1, QLatin1Char('0')) + digits;
    QString integer = digits.left(digits.size() - maxFraction);
    QString fraction = digits.right(maxFraction);
    while (fraction.size() > minFraction && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (integer.size() > 1 && integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    if (integer == QLatin1String("0") && minInteger == 0)
        integer.clear();
    while (integer.size() < minInteger)
        integer.prepend(QLatin1Char('0'));
    if (grouping) {
        for (qsizetype at = integer.size() - 3; at > 0; at -= 3)
            integer.insert(at, QLatin1Char(','));
    }
    QString text = integer;
    if (!fraction.isEmpty() || (pointAt >= 0 && maxFraction == 0))
        text += QLatin1Char('.') + fraction;
    const bool zero = rounded == 0;
    return (value < 0 && !zero) ? QLatin1Char('-') + text : text;
}

double dateToNumber(const QDateTime& moment)
{
    static const QDate dayZero(1899, 12, 30);
    const double days = double(dayZero.daysTo(moment.date()));
    const double time = moment.time().msecsSinceStartOfDay() / 86'400'000.0;
    // Before day zero the time of day still counts forward from midnight.
    return days >= 0 ? days + time : days - time;
}

QDateTime numberToDate(double dayNumber)
{
    static const QDate dayZero(1899, 12, 30);
    const double days = std::trunc(dayNumber);
    const double fraction = std::fabs(dayNumber - days);
    const auto msecs = qint64(std::llround(fraction * 86'400'000.0));
    QDateTime moment(dayZero.addDays(qint64(days)), QTime(0, 0));
    return moment.addMSecs(msecs);
}

} // namespace Global
