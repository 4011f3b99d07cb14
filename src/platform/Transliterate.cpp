// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cp1252.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace Platform::Cp1252 {
namespace {

// Any script into Latin letters, then the Latin letters outside ASCII into
// ASCII: a run is only ever made of characters that Windows-1252 lacks, so
// what it holds never reaches the second step.
constexpr const char* Rules = "Any-Latin; Latin-ASCII";

class Transliterator
{
public:
    // The run in Latin letters; empty when the transliterator could not be
    // made (the run then becomes "?").
    QString latin(QStringView run)
    {
        std::lock_guard lock(m_mutex);
        if (!m_made) {
            m_made = true;
            UErrorCode status = U_ZERO_ERROR;
            m_rules.reset(icu::Transliterator::createInstance(Rules, UTRANS_FORWARD, status));
            if (U_FAILURE(status))
                m_rules.reset();
        }
        if (!m_rules)
            return {};
        icu::UnicodeString text(false, reinterpret_cast<const char16_t*>(run.utf16()),
                                int32_t(run.size()));
        m_rules->transliterate(text);
        return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
    }

private:
    std::mutex m_mutex;
    bool m_made = false;
    std::unique_ptr<icu::Transliterator> m_rules;
};

Transliterator& transliterator()
{
    static Transliterator kept;
    return kept;
}

bool fits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), canEncode);
}

} // namespace

QString transliterate(QStringView given, int* unknown)
{
    if (unknown)
        *unknown = 0;
    if (fits(given))
        return given.toString();
    // A letter and its combining accent in one character where Windows-1252
    // has it ("e" and U+0301 are "\u00e9").
    const QString text = given.toString().normalized(QString::NormalizationForm_C);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (canEncode(text[i])) {
            out += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !canEncode(text[end]))
            ++end;
        const QStringView run = QStringView(text).mid(i, end - i);
        const QString latin = transliterator().latin(run);
        // What is left without a form: a "?" for each character (a
        // character beyond the first plane is two QChars).
        for (qsizetype k = 0; k < latin.size(); ++k) {
            if (canEncode(latin[k])) {
                out += latin[k];
                continue;
            }
            if (latin[k].isHighSurrogate() && k + 1 < latin.size() && latin[k + 1].isLowSurrogate())
                ++k;
            out += QLatin1Char('?');
            if (unknown)
                ++*unknown;
        }
        if (latin.isEmpty()) {
            out += QLatin1Char('?');
            if (unknown)
                ++*unknown;
        }
        i = end;
    }
    return out;
}

} // namespace Platform::Cp1252
