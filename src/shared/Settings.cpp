// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include "Messages.h"
#include "Tweaks.h"
#include "Values.h"
#include "platform/RegistryHive.h"

#include <algorithm>

namespace Global {
namespace {

std::unique_ptr<Platform::RegistryHive>& installedHive()
{
    static std::unique_ptr<Platform::RegistryHive> hive;
    return hive;
}

QString readerPath(const QString& rootPath, const QString& section)
{
    QString path = section.isEmpty() ? rootPath : rootPath + QLatin1Char('\\') + section;
    if (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    return path;
}

} // namespace

Platform::RegistryHive& settingsHive()
{
    std::unique_ptr<Platform::RegistryHive>& hive = installedHive();
    if (!hive)
        hive = Platform::RegistryHive::open(Platform::RegistryHive::defaultPath());
    return *hive;
}

void setSettingsHive(std::unique_ptr<Platform::RegistryHive> hive)
{
    installedHive() = std::move(hive);
}

QString listingText(const QStringList& names)
{
    QString text = QString::number(names.size()).rightJustified(3, QLatin1Char('0'));
    for (const QString& name : names)
        text += name + QChar(0);
    return text;
}

qsizetype listingCountWidth(const QString& listing)
{
    return std::max<qsizetype>(3, QString::number(listing.count(QChar(0))).size());
}

QStringList listingNames(const QString& listing)
{
    QStringList names = listing.mid(listingCountWidth(listing)).split(QChar(0));
    // Every name ends with the character 0, so the last piece is empty.
    names.removeLast();
    return names;
}

QVariant GetRegistryData(const QString& section, const QString& key, const RegistryRead& read)
{
    return guarded("Global:GetRegistryData", [&]() -> QVariant {
        Platform::RegistryHive& hive = read.hive ? *read.hive : settingsHive();
        const QString path = readerPath(read.rootPath, section);
        if (key == QLatin1String("BRANCHES"))
            return listingText(hive.subKeys(path));
        if (key == QLatin1String("ALLSUBKEYS"))
            return listingText(hive.valueNames(path));

        auto useDefault = [&] {
            const bool report = read.report.has_value()
                                    ? *read.report
                                    : GetTweak(Tweak::ReportRegistryError).isOn();
            if (report) {
                const QString name =
                    QLatin1String("\"...") + section + QLatin1Char('\\') + key + QLatin1Char('"');
                showText(ResolveRes(100, {name}), Platform::MsgButtons::Ok,
                         Platform::MsgIcon::Information, applicationTitle());
            }
            return read.defaultValue;
        };

        const std::optional<QString> stored = hive.value(path, key);
        if (!stored)
            return useDefault();
        switch (read.valueType) {
        case 0: {
            const double length = double(stored->size());
            if ((read.max && length > *read.max) || (read.min && length < *read.min))
                return useDefault();
            return *stored;
        }
        case 1: {
            const double number = val(*stored);
            if ((read.max && number > *read.max) || (read.min && number < *read.min))
                return useDefault();
            return number;
        }
        default:
            return QVariant();
        }
    });
}

void SaveRegistryData(const QString& section, const QString& key, const RegistryWrite& write)
{
    // The registry gives up silently when it cannot open a branch; a hive
    // that refuses a write is reported, so that no setting is lost unseen.
    guarded("Global:SaveRegistryData", [&] {
        Platform::RegistryHive& hive = settingsHive();
        const QString path = write.rootPath + QLatin1Char('\\') + section;
        if (key == QLatin1String("KILLALL")) {
            hive.deleteKey(path);
            return;
        }
        if (key == QLatin1String("EMPTY")) {
            hive.deleteKey(path);
            hive.createKey(path);
            return;
        }
        std::optional<QString> text;
        if (write.textValue.isValid()) {
            const QString value = toText(write.textValue);
            if (value == QLatin1String("KILL"))
                hive.deleteValue(path, key);
            else
                text = value;
        } else if (write.numberValue.isValid()) {
            const double number = toNumber(write.numberValue);
            // A switch is stored as "-1" or "0" whatever form it came in.
            if (write.numberValue.typeId() == QMetaType::Bool || number == -1)
                text = numberText(number);
            else
                text = toText(write.numberValue);
        }
        // The branch is made in any case, as the registry makes it on opening.
        if (text)
            hive.setValue(path, key, *text);
        else
            hive.createKey(path);
    });
}

} // namespace Global
