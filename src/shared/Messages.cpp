// SPDX-License-Identifier: GPL-3.0-or-later
#include "Messages.h"

#include "StringTable.h"
#include "Values.h"
#include "platform/RegistryHive.h"
#include "platform/RunTimeError.h"

#include <new>

namespace Global {
namespace {

using Platform::MsgAnswer;
using Platform::MsgButtons;
using Platform::MsgIcon;

// A string that includes itself, directly or through others, would never
// end; no text of the table nests anywhere near this deep, nor holds
// anywhere near this many inclusions.
constexpr int MaxInclusionDepth = 32;
constexpr int MaxInclusions = 10'000;

QString resolve(int number, const QVariantList& values, int depth);

QString& titleOverride()
{
    static QString title;
    return title;
}

// One inclusion pass: every `mark` followed by digits n becomes the expanded
// string n. The text is searched again from its start after each insertion,
// so an insertion that completes a mark with the text around it is expanded
// too.
void expandInclusions(QString& text, QStringView mark, bool dropAmpersand, int depth)
{
    qsizetype at;
    for (int count = 0; count < MaxInclusions && (at = text.indexOf(mark)) >= 0; ++count) {
        qsizetype end = at + mark.size();
        int number = 0;
        bool overflow = false;
        while (end < text.size() && text[end] >= QLatin1Char('0') &&
               text[end] <= QLatin1Char('9')) {
            if (number > 100'000'000)
                overflow = true;
            else
                number = number * 10 + (text[end].unicode() - '0');
            ++end;
        }
        QString included = overflow ? resolve(-1, {}, depth + 1) : resolve(number, {}, depth + 1);
        if (number > 1999 && number < 3000) {
            const qsizetype comma = included.indexOf(QLatin1Char(','));
            if (comma >= 0)
                included.remove(0, comma + 1);
        }
        if (dropAmpersand) {
            const qsizetype amp = included.indexOf(QLatin1Char('&'));
            if (amp >= 0)
                included.remove(amp, 1);
        }
        text.replace(at, end - at, included);
    }
}

void expandValues(QString& text, const QVariantList& values)
{
    const bool twoDigits = values.size() > 9;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString placeholder = QLatin1Char('|') + QString::number(i + 1).rightJustified(
                                                           twoDigits ? 2 : 1, QLatin1Char('0'));
        const QString value = toText(values[i]);
        qsizetype from = 0;
        qsizetype at;
        while ((at = text.indexOf(placeholder, from)) >= 0) {
            text.replace(at, placeholder.size(), value);
            from = at + value.size();
        }
    }
}

QString expand(QString text, const QVariantList& values, int depth)
{
    expandInclusions(text, u"|!", false, depth);
    expandInclusions(text, u"|\u00A1", true, depth);
    if (!values.isEmpty())
        expandValues(text, values);
    return text;
}

QString resolve(int number, const QVariantList& values, int depth)
{
    return guarded("Global:ResolveRes", [&] {
        if (depth > MaxInclusionDepth)
            throw Platform::RunTimeError(Platform::RunTimeError::OutOfStackSpace);
        return expand(StringTable::instance().require(number), values, depth);
    });
}

} // namespace

QString ResolveRes(int number, const QVariantList& values)
{
    return resolve(number, values, 0);
}

QString expandText(QString text, const QVariantList& values)
{
    return guarded("Global:ResolveRes", [&] { return expand(std::move(text), values, 0); });
}

QString currentErrorDescription()
{
    try {
        throw;
    } catch (const Platform::RunTimeError& error) {
        return error.description();
    } catch (const Platform::HiveError& error) {
        return error.message();
    } catch (const std::bad_alloc&) {
        return Platform::RunTimeError::describe(Platform::RunTimeError::OutOfMemory);
    }
}

void reportCurrentFault(const char* where, const QString& context)
{
    try {
        throw;
    } catch (const Platform::HiveError& error) {
        Platform::uiHost().setPointer(Platform::Pointer::Default);
        // The hive refuses every call once it has met damage; only the first refusal is told.
        if (error.isDamage()) {
            if (!error.repeated())
                showMessage(Str::HiveDamaged, {error.damagedFile(), error.detail()}, MsgButtons::Ok,
                            MsgIcon::Critical, Str::TitleError);
            return;
        }
        // Anything else the hive refuses (a full disk, a read-only file) is no fault of the
        // program: its message names the file and says what to do.
        showText(error.message(), MsgButtons::Ok, MsgIcon::Critical, ResolveRes(Str::TitleError));
        return;
    } catch (...) {
    }
    ReportError(QLatin1String(where) + QLatin1String("  Error:") + context +
                currentErrorDescription());
}

void ReportError(const QString& reference)
{
    Platform::uiHost().setPointer(Platform::Pointer::Default);
    // The message is built without the error handler of ResolveRes, so that
    // a damaged table cannot report itself for ever.
    const StringTable& table = StringTable::instance();
    const QString text =
        table.text(Str::UnexpectedError)
            .value_or(QStringLiteral("An unexpected system error has occured.\r\n\r\n\"|1\""))
            .replace(QLatin1String("|1"), reference);
    showText(text, MsgButtons::Ok, MsgIcon::Critical,
             table.text(Str::TitleError).value_or(QStringLiteral("Error")));
}

QString applicationTitle()
{
    const QString& title = titleOverride();
    return title.isEmpty() ? ResolveRes(Str::ProgramTitle) : title;
}

void setApplicationTitle(const QString& title)
{
    titleOverride() = title;
}

MsgAnswer showText(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                   int defaultButton)
{
    return Platform::uiHost().messageBox({text, buttons, icon, title, defaultButton});
}

MsgAnswer showMessage(int number, const QVariantList& values, MsgButtons buttons, MsgIcon icon,
                      int titleNumber, int defaultButton)
{
    return showText(ResolveRes(number, values), buttons, icon, ResolveRes(titleNumber),
                    defaultButton);
}

} // namespace Global
