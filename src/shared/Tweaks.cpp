// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tweaks.h"

#include "Files.h"
#include "Settings.h"
#include "StringTable.h"
#include "Values.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"

#include <array>

namespace Global {
namespace {

constexpr int First = 31001;
constexpr int Last = 31084;

std::array<TweakRecord, Last - First + 1>& cache()
{
    static std::array<TweakRecord, Last - First + 1> entries;
    return entries;
}

int generation = 0;

TweakRecord& load(int number)
{
    TweakRecord& entry = cache()[size_t(number - First)];
    const QStringList fields = StringTable::instance().require(number).split(QLatin1Char(','));
    if (fields.size() != 5)
        throw Platform::RunTimeError(Platform::RunTimeError::TypeMismatch);
    entry.name = fields[0];
    entry.type = qint16(val(fields[1]));
    entry.defaultValue = fields[2];
    entry.max = val(fields[3]);
    entry.min = val(fields[4]);
    entry.loaded = true;
    entry.value = GetRegistryData(QStringLiteral("Tweaks"), entry.name,
                                  {.defaultValue = entry.defaultValue,
                                   .valueType = entry.type,
                                   .max = entry.max,
                                   .min = entry.min,
                                   .report = false});
    if (entry.type == 0 && toText(entry.value).isEmpty())
        entry.value = entry.defaultValue;
    return entry;
}

} // namespace

double TweakRecord::number() const
{
    return toNumber(value);
}

QString TweakRecord::text() const
{
    return toText(value);
}

TweakRecord GetTweak(int number)
{
    if (number == -1) {
        const int previous = BusyPointer();
        Platform::uiHost().doEvents();
        cache().fill(TweakRecord());
        ++generation;
        Platform::uiHost().setPointer(previous);
        return TweakRecord();
    }
    const int n = number < 0 ? -number : number;
    if (n < First || n > Last)
        throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
    TweakRecord& entry = cache()[size_t(n - First)];
    if (number < 0 || !entry.loaded)
        return load(n);
    return entry;
}

int tweakGeneration()
{
    return generation;
}

} // namespace Global
