// SPDX-License-Identifier: GPL-3.0-or-later
#include "Paths.h"

#include "Files.h"
#include "Formatting.h"
#include "Messages.h"
#include "Settings.h"
#include "Tweaks.h"
#include "Values.h"
#include "platform/FileSystem.h"
#include "platform/ProgramEnd.h"
#include "platform/Text.h"
#include "platform/UiHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace Global {
namespace {

using Platform::MsgButtons;
using Platform::MsgIcon;

const QChar Separator = QLatin1Char('/');
const QString ModesSection = QStringLiteral("Config\\Modes");

// String numbers of the path checks.
enum : int
{
    Language = 10,
    FolderSettingNames = 55,
    TitleCannotContinue = 126,
    NoPathsSet = 130,
    ProgramWillClose = 132,
    PathNotAccessible = 134,
    RequiredPathMissing = 135,
    FileNameChars = 506,
    FolderTooLong = 509,
    ShortenFolder = 510,
    FileNameCharsBlank = 526,
    CannotShorten = 568,
    ShortenFolderBytes = 945,
    NoShareFile = 725,
};

StartupValues& storedStartupValues()
{
    static StartupValues values;
    return values;
}

CheckedPaths& storedCheckedPaths()
{
    static CheckedPaths paths;
    return paths;
}

QString text(const QString& section, const QString& key)
{
    return GetRegistryData(section, key, {.defaultValue = QString()}).toString();
}

QString currentMode()
{
    return text(ModesSection, QStringLiteral("LastMode"));
}

QString modeSection(const QString& mode)
{
    return ModesSection + QLatin1Char('\\') + mode;
}

// One trailing separator goes; the root itself stays "/".
QString withoutTrailingSeparator(QString path)
{
    if (path.size() > 1 && path.endsWith(Separator))
        path.chop(1);
    return path;
}

qsizetype lastSeparator(const QString& path)
{
    return path.lastIndexOf(Separator);
}

QString lastPart(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

bool isFilingName(const QString& part)
{
    return part.endsWith(QLatin1Char(']')) && part.contains(QLatin1Char('['));
}

bool endsWithNoCase(const QString& text, const QString& tail)
{
    return text.size() >= tail.size() &&
           Platform::compareNoCase(QStringView(text).right(tail.size()), tail) == 0;
}

// The display name that string 55 gives a folder setting ("Index" for
// "IndexFolder").
QString displayName(const QString& setting)
{
    const QString wanted = QLatin1Char(',') + setting;
    for (const QString& item : ResolveRes(FolderSettingNames).split(QLatin1Char('|'))) {
        if (item.contains(wanted))
            return item.section(QLatin1Char(','), 0, 0);
    }
    return QString();
}

// A failed start-up check: its message, after which the program ends.
void closingMessage(const QString& text, MsgIcon icon, bool beep)
{
    if (beep)
        Platform::uiHost().beep();
    showText(text, MsgButtons::Ok, icon, ResolveRes(Str::TitleWarning));
}

void requiredPathMissing(const QString& setting)
{
    closingMessage(ResolveRes(RequiredPathMissing, {displayName(setting)}) + LineBreak + LineBreak +
                       ResolveRes(ProgramWillClose),
                   MsgIcon::Exclamation, true);
}

// The folder of a required setting of the mode, or an empty text after the
// message that names it.
QString requiredFolder(const QString& section, const QString& setting)
{
    const QString folder = withoutTrailingSeparator(text(section, setting));
    if (folder.isEmpty() || !FolderExists(folder)) {
        requiredPathMissing(setting);
        return QString();
    }
    return folder;
}

// The folder settings that GetDataFolder serves; the four required ones come
// from CheckPaths.
const char* const DataFolderSettings[] = {
    "ArchiveFolder",  "EMailsFolder",     "FaxesFolder",     "FilingFolder",    "FiltersFolder",
    "FormsFolder",    "JobsFolder",       "LettersFolder",   "MailMergeFolder", "NewContactsFolder",
    "OverlaysFolder", "PublishingFolder", "ScansFolder",     "TablesFolder",    "TemplatesFolder",
    "URLsFolder",     "VideoVoiceFolder", "WorkFilesFolder",
};

struct DataFolderCache
{
    bool filled = false;
    QHash<QString, QString> paths;
};

DataFolderCache& dataFolderCache()
{
    static DataFolderCache cache;
    return cache;
}

// The mode's "Local" switch, read on first use: folders on this machine are
// listed whole; on a network only names that start with a blank, a digit or
// a letter are looked for.
std::optional<bool>& localSwitch()
{
    static std::optional<bool> local;
    return local;
}

bool isLocalMode()
{
    std::optional<bool>& local = localSwitch();
    if (!local) {
        const double value =
            GetRegistryData(modeSection(currentMode()), QStringLiteral("Local"),
                            {.defaultValue = 0, .valueType = 1, .max = 0, .min = -1})
                .toDouble();
        local = value != 0;
    }
    return *local;
}

// `name` cut to at most `width` characters, at a word's end where it can
// be, with "..." where there is room for it; empty when nothing fits.
QString fittedName(const QString& name, int width)
{
    if (width <= 0)
        return QString();
    for (int limit = width; limit >= 0; --limit) {
        const QString shortened = TruncateText(name, limit);
        if (shortened.size() <= width)
            return shortened;
    }
    return TruncateText(name, width, false);
}

} // namespace

void InitGlobals()
{
    guarded("Global:InitGlobals", [] {
        StartupValues values;
        values.lineEnd = LineBreak;
        values.language = ResolveRes(Language);
        const QString programFolder = QCoreApplication::instance()
                                          ? QCoreApplication::applicationDirPath()
                                          : QDir::currentPath();
        values.runFrom = withoutTrailingSeparator(GetRegistryData(QStringLiteral("Config"),
                                                                  QStringLiteral("RunFrom"),
                                                                  {.defaultValue = programFolder})
                                                      .toString());
        const auto message = [](int tweak) {
            return int(std::nearbyint(GetTweak(tweak).number()));
        };
        values.tweakBroadcastMsg = message(Tweak::TweakBroadcastMsg);
        values.wakeUpBroadcastMsg = message(Tweak::WakeUpBroadcastMsg);
        values.callerIdBroadcastMsg = message(Tweak::CallerIDBroadcastMsg);
        values.dialMsg = message(Tweak::DialMsg);
        values.fileNameChars = ResolveRes(FileNameChars);
        values.fileNameCharsBlank = ResolveRes(FileNameCharsBlank);
        storedStartupValues() = values;
    });
}

const StartupValues& startupValues()
{
    return storedStartupValues();
}

void dropWizardsFolder()
{
    static const QString Wizards = QStringLiteral("/Wizards");
    QString& runFrom = storedStartupValues().runFrom;
    if (endsWithNoCase(runFrom, Wizards))
        runFrom.chop(Wizards.size());
}

void CheckPaths()
{
    const bool end = guarded("Global:CheckPaths", [] {
        CheckedPaths& paths = storedCheckedPaths();
        const QString mode = currentMode();
        if (mode.isEmpty()) {
            closingMessage(ResolveRes(NoPathsSet) + LineBreak + LineBreak +
                               ResolveRes(ProgramWillClose),
                           MsgIcon::Exclamation, true);
            return true;
        }
        const QString section = modeSection(mode);

        paths.indexFolder = requiredFolder(section, QStringLiteral("IndexFolder"));
        if (paths.indexFolder.isEmpty())
            return true;

        paths.sharedFolder = requiredFolder(section, QStringLiteral("SharedFolder"));
        if (paths.sharedFolder.isEmpty())
            return true;
        const QString shareFile =
            Platform::findNoCase(paths.sharedFolder, QStringLiteral("Shared.bin"));
        if (!FileExists(shareFile)) {
            closingMessage(ResolveRes(NoShareFile, {shareFile}), MsgIcon::Critical, false);
            return true;
        }
        paths.shareFile = shareFile;

        paths.usersFolder = requiredFolder(section, QStringLiteral("UsersFolder"));
        if (paths.usersFolder.isEmpty())
            return true;
        const QString user = text(QStringLiteral("Config"), QStringLiteral("UserFolder"));
        const QString userFolder = withoutTrailingSeparator(
            user.isEmpty() ? paths.usersFolder : paths.usersFolder + Separator + user);
        if (!FolderExists(userFolder)) {
            closingMessage(ResolveRes(PathNotAccessible, {userFolder}), MsgIcon::Exclamation, true);
            return true;
        }
        paths.userFolder = userFolder;

        paths.radsFolder = requiredFolder(section, QStringLiteral("RADsFolder"));
        return paths.radsFolder.isEmpty();
    });
    if (end)
        throw Platform::ProgramEnd();
}

const CheckedPaths& checkedPaths()
{
    return storedCheckedPaths();
}

QString GetDataFolder(const QString& settingName, bool reload)
{
    DataFolderCache& cache = dataFolderCache();
    if (reload || !cache.filled) {
        cache.filled = true;
        // A reload forgets the old mode's paths even when no mode is set now.
        cache.paths.clear();
        const QString mode = currentMode();
        if (mode.isEmpty())
            return QString();
        const QString section = modeSection(mode);
        for (const char* setting : DataFolderSettings) {
            const QString name = QLatin1String(setting);
            cache.paths.insert(name, text(section, name));
        }
        if (reload)
            return QString();
    }
    return cache.paths.value(settingName);
}

void ResolveFolderName(QString path, QString& name, QString& ref)
{
    if (path.endsWith(Separator))
        path.chop(1);
    // Only the last part counts: a bracket of a parent folder never makes a
    // reference that spans a separator.
    const qsizetype partStart = lastSeparator(path) + 1;
    const qsizetype open = path.lastIndexOf(QLatin1Char('['));
    if (!path.endsWith(QLatin1Char(']')) || open < partStart) {
        name = partStart == 0 ? path : FormatFilename(path, QStringLiteral("M"));
        ref = name;
        return;
    }
    ref = path.mid(open + 1, path.size() - open - 2);
    name = path.left(open).trimmed();
    name = name.mid(lastSeparator(name) + 1);
}

QString folderReference(const QString& path)
{
    QString name;
    QString ref;
    ResolveFolderName(path, name, ref);
    return isFilingName(lastPart(path.endsWith(Separator) ? path.chopped(1) : path)) ? ref
                                                                                     : QString();
}

QString FindFolderByRef(const QString& parent, const QString& ref)
{
    if (parent.isEmpty() && ref.isEmpty()) {
        localSwitch().reset();
        isLocalMode();
        return QString();
    }
    if (parent.isEmpty())
        return QString();
    // The reference is matched as it stands, never as a wildcard pattern.
    const QString tail = QLatin1Char('[') + ref + QLatin1Char(']');
    QStringList matches;
    for (const QString& entry : Platform::listEntries(parent, u"*", Platform::EntryKind::Folders)) {
        if (endsWithNoCase(entry, tail))
            matches << entry;
    }
    if (matches.isEmpty())
        return QString();
    if (isLocalMode())
        return matches.first();

    for (const QString& entry : matches) {
        if (entry.size() == tail.size())
            return entry;
    }
    static const QString Leading = QStringLiteral(" 1234567890abcdefghijklmnopqrstuvwxyz");
    for (const QChar leading : Leading) {
        for (const QString& entry : matches) {
            if (entry.size() > tail.size() &&
                Platform::compareNoCase(QStringView(entry).left(1), QStringView(&leading, 1)) == 0)
                return entry;
        }
    }
    return QString();
}

QString ResolveFolderRef(const QString& ref, const QString& settingName)
{
    return guarded("Global:ResolveFolderRef", [&] {
        // A full path (a folder of the tree, or a file) is its own answer. A
        // reference is never taken for a name in the current folder.
        if (QDir::isAbsolutePath(ref) &&
            (FileExists(Platform::findNoCase(ref, QStringLiteral("FileInfo.inf"))) ||
             FileExists(ref)))
            return ref;

        QString base = withoutTrailingSeparator(GetDataFolder(settingName));
        if (base.isEmpty())
            return QString();
        while (base.contains(QLatin1Char('[')) && base.contains(QLatin1Char(']')))
            base = FormatFilename(base, QStringLiteral("L"));

        QString refPath = FormatFilename(ref, QStringLiteral("P"));
        if (refPath.endsWith(Separator))
            refPath.chop(1);
        QString reached;
        for (const QString& part : refPath.split(QLatin1Char('-'))) {
            reached += part;
            const QString sub = FindFolderByRef(base, reached);
            if (sub.isEmpty())
                break;
            base += Separator + sub;
            reached += QLatin1Char('-');
        }
        return FolderExists(base) ? base : QString();
    });
}

bool FitFolderPath(QString& path)
{
    // The suite's programs take a path of at most 238 characters; the file
    // system counts the bytes of each part of it (255 at most). A path of
    // 238 characters is far inside the file system's limit of a whole path
    // (4,095 bytes), so that one needs no check of its own.
    constexpr int MaxLength = 238;
    constexpr int MaxPartBytes = 255;
    const auto partBytes = [](QStringView part) {
        return QFile::encodeName(part.toString()).size();
    };
    const auto fits = [&](const QString& candidate) {
        return candidate.size() <= MaxLength &&
               std::ranges::all_of(QStringView(candidate).split(Separator), [&](QStringView part) {
                   return partBytes(part) <= MaxPartBytes;
               });
    };
    if (path.isEmpty())
        return false;
    if (fits(path))
        return true;
    const QString last = lastPart(path);
    if (!isFilingName(last))
        return false;

    QString name;
    QString ref;
    ResolveFolderName(path, name, ref);
    const QString suffix = (name.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1Char('[') +
                           ref + QLatin1Char(']');
    const qsizetype parentLength = lastSeparator(path);
    const QString parent = path.left(parentLength);
    const qsizetype fixed = parentLength + 1 + suffix.size();
    // Too many characters for the suite, or only too many bytes in the last part.
    const bool tooLong = path.size() > MaxLength;

    // The shortened name leaves room for the counter that makes it unique,
    // so the proposal always keeps to the limits.
    QString candidate;
    if (fixed < MaxLength + 1 && fits(parent)) {
        const int room = int(MaxLength - fixed);
        for (int n = 0; candidate.isEmpty(); ++n) {
            const QString counter = n == 0 ? QString() : QString::number(n);
            QString next;
            // The longest name whose part keeps to the file system's bytes.
            for (int width = room - int(counter.size()); width >= 0; --width) {
                const QString shortened = name.isEmpty() ? QString() : fittedName(name, width);
                // No room left for a name (or a counter) that tells folders apart.
                if (!name.isEmpty() && shortened.isEmpty())
                    break;
                if (partBytes(QString(shortened + counter + suffix)) <= MaxPartBytes) {
                    next = parent + Separator + shortened + counter + suffix;
                    break;
                }
            }
            if (next.isEmpty())
                break;
            // Anything of that name is in the way, a file as much as a folder.
            if (!QFileInfo::exists(next))
                candidate = next;
        }
    }

    if (candidate.isEmpty()) {
        if (tooLong)
            showMessage(FolderTooLong, {MaxLength}, MsgButtons::Ok, MsgIcon::Exclamation,
                        TitleCannotContinue);
        else
            showMessage(CannotShorten, {}, MsgButtons::Ok, MsgIcon::Exclamation,
                        TitleCannotContinue);
        return false;
    }
    const QString shown = QStringLiteral("...") + Separator + lastPart(candidate);
    const Platform::MsgAnswer answer =
        tooLong ? showMessage(ShortenFolder, {MaxLength, shown}, MsgButtons::YesNo, MsgIcon::None,
                              Str::TitleConfirm)
                : showMessage(ShortenFolderBytes, {last, MaxPartBytes, shown}, MsgButtons::YesNo,
                              MsgIcon::None, Str::TitleConfirm);
    if (answer != Platform::MsgAnswer::Yes)
        return false;
    path = candidate;
    return true;
}

} // namespace Global
