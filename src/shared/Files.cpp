// SPDX-License-Identifier: GPL-3.0-or-later
#include "Files.h"

#include "Messages.h"
#include "Paths.h"
#include "Tweaks.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace Global {
namespace {

using Platform::File;
using Platform::MsgAnswer;
using Platform::MsgButtons;
using Platform::MsgIcon;
using Platform::RunTimeError;

// Once the user has asked to retry an open, every later open question shows
// the details.
bool openDetails = false;

enum class Operation
{
    Open,
    Copy,
    Delete
};

int questionOf(Operation operation)
{
    switch (operation) {
    case Operation::Open:
        return 111;
    case Operation::Copy:
        return 116;
    case Operation::Delete:
        return 115;
    }
    return 111;
}

// The suite's retry protocol around one file operation: failed attempts are
// repeated silently, one second apart, as often as the tweak AccessAttempts
// says; then the user chooses between another round and giving up. A copy
// whose file is locked asks at once. The messages name `path` as it stands
// when they are shown, so an attempt may point it at the file that failed.
template <typename Attempt>
bool withRetries(Operation operation, const QString& path, bool& details, bool& retried,
                 Attempt&& attempt)
{
    Platform::UiHost& host = Platform::uiHost();
    for (;;) {
        const int attempts = qMax(1, int(GetTweak(Tweak::AccessAttempts).number()));
        std::optional<RunTimeError> failure;
        for (int i = 0; i < attempts; ++i) {
            host.doEvents();
            try {
                attempt();
                return true;
            } catch (const RunTimeError& error) {
                if (operation == Operation::Copy &&
                    error.number() == RunTimeError::PermissionDenied) {
                    if (showMessage(128, {path}, MsgButtons::RetryCancel, MsgIcon::Exclamation,
                                    Str::TitleWarning) != MsgAnswer::Retry)
                        return false;
                    i = -1;
                    continue;
                }
                failure = error;
                host.wait(1000);
            }
        }
        const QString detail =
            details ? ResolveRes(112, {path, failure->description()}) : QString();
        if (showMessage(questionOf(operation), {detail, path}, MsgButtons::RetryCancel,
                        MsgIcon::Information, Str::TitleWarning) != MsgAnswer::Retry)
            return false;
        details = true;
        retried = true;
    }
}

void copyWhole(const QString& source, const QString& target, QString& failing)
{
    failing = source;
    File from = File::open(source, File::Binary | File::Read);
    struct stat sourceInfo = {};
    const int newFileMode = ::stat(QFile::encodeName(source).constData(), &sourceInfo) == 0
                                ? int(sourceInfo.st_mode & 0777)
                                : 0666;
    // A target that another user keeps others from writing stays as it is.
    failing = target;
    const qint64 size = from.size();
    File::replaceWhole(
        target, size,
        [&](File& to) {
            constexpr qint64 Chunk = 1 << 20;
            for (qint64 at = 1; at <= size; at += Chunk)
                to.writeAt(at, from.readAt(at, Chunk));
        },
        newFileMode);
}

bool samePath(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

int BusyPointer()
{
    Platform::UiHost& host = Platform::uiHost();
    const int previous = host.pointer();
    host.setPointer(Platform::Pointer::ArrowHourglass);
    host.doEvents();
    return previous;
}

BusyPointerScope::~BusyPointerScope()
{
    Platform::uiHost().setPointer(m_previous);
}

QPoint PositionAtCursor(QSize size, int mode)
{
    constexpr int Margin = 500;
    constexpr int Tpp = Platform::TwipsPerPixel;
    const Platform::UiHost& host = Platform::uiHost();
    const QPoint mouse = host.mousePosition() * Tpp;
    const QSize screen = host.screenSize() * Tpp;
    const int width = size.width() * Tpp;
    const int height = size.height() * Tpp;

    int left = mode == 1 ? mouse.x() : mouse.x() - width / 2;
    int top = mode == 0 ? mouse.y() - height / 2 : mouse.y();
    if (left + width + Margin > screen.width())
        left = screen.width() - width - Margin;
    if (top + height + Margin > screen.height())
        top = screen.height() - height - Margin;
    // Never off the left or top edge, even for a window wider than the screen.
    return QPoint(qMax(0, left / Tpp), qMax(0, top / Tpp));
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    try {
        File::open(path, File::Binary | File::Read).close();
        return true;
    } catch (const RunTimeError&) {
        return false;
    }
}

bool FolderExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isDir() && info.isExecutable();
}

bool MakePath(QString& path, bool report, bool check)
{
    if (check && !FitFolderPath(path))
        return false;
    // "/" plays the drive's root: folders are made from the first one on.
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != QLatin1Char('/'))
            continue;
        const QString folder = path.left(end);
        if (folder.endsWith(QLatin1Char('/')) || FolderExists(folder))
            continue;
        if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && !FolderExists(folder)) {
            if (report)
                showMessage(121, {path}, MsgButtons::Ok, MsgIcon::Exclamation, Str::TitleError);
            return false;
        }
    }
    return true;
}

bool MakePath(const QString& path, bool report, bool check)
{
    QString copy = path;
    return MakePath(copy, report, check);
}

bool CopyFile(const QString& source, const QString& target, bool detail)
{
    if (samePath(source, target))
        return true;
    BusyPointerScope busy;
    bool retried = false;
    QString failing = source;
    return withRetries(Operation::Copy, failing, detail, retried,
                       [&] { copyWhole(source, target, failing); });
}

bool DeleteFile(const QString& path, bool detail)
{
    bool retried = false;
    return withRetries(Operation::Delete, path, detail, retried, [&] {
        const QByteArray native = QFile::encodeName(path);
        struct stat info = {};
        if (::lstat(native.constData(), &info) != 0 || S_ISDIR(info.st_mode))
            return;
        ::chmod(native.constData(), info.st_mode | S_IWUSR);
        if (::unlink(native.constData()) != 0 && errno != ENOENT)
            throw RunTimeError::fromErrno(errno);
    });
}

File OpenFile(const QString& path, int mode)
{
    bool details = openDetails || GetTweak(Tweak::MoreInfo).isOn();
    bool retried = false;
    File file;
    withRetries(Operation::Open, path, details, retried, [&] { file = File::open(path, mode); });
    openDetails = openDetails || retried;
    return file;
}

} // namespace Global
