// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunTimeError.h"

#include <cerrno>

namespace Platform {

RunTimeError::RunTimeError(int number) : RunTimeError(number, describe(number)) {}

RunTimeError::RunTimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{}

QString RunTimeError::describe(int number)
{
    switch (number) {
    case ReturnWithoutGosub:
        return QStringLiteral("Return without GoSub");
    case InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case Overflow:
        return QStringLiteral("Overflow");
    case OutOfMemory:
        return QStringLiteral("Out of memory");
    case SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case DivisionByZero:
        return QStringLiteral("Division by zero");
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case OutOfStringSpace:
        return QStringLiteral("Out of string space");
    case OutOfStackSpace:
        return QStringLiteral("Out of stack space");
    case BadFileNameOrNumber:
        return QStringLiteral("Bad file name or number");
    case FileNotFound:
        return QStringLiteral("File not found");
    case BadFileMode:
        return QStringLiteral("Bad file mode");
    case FileAlreadyOpen:
        return QStringLiteral("File already open");
    case DeviceIoError:
        return QStringLiteral("Device I/O error");
    case FileAlreadyExists:
        return QStringLiteral("File already exists");
    case DiskFull:
        return QStringLiteral("Disk full");
    case InputPastEndOfFile:
        return QStringLiteral("Input past end of file");
    case TooManyFiles:
        return QStringLiteral("Too many files");
    case DeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case PermissionDenied:
        return QStringLiteral("Permission denied");
    case DiskNotReady:
        return QStringLiteral("Disk not ready");
    case PathFileAccessError:
        return QStringLiteral("Path/File access error");
    case PathNotFound:
        return QStringLiteral("Path not found");
    case ResourceNotFound:
        return QStringLiteral("Resource with identifier not found");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

RunTimeError RunTimeError::fromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return RunTimeError(FileNotFound);
    case ENOTDIR:
        return RunTimeError(PathNotFound);
    case EACCES:
    case EPERM:
    case EAGAIN:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return RunTimeError(PermissionDenied);
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EEXIST:
        return RunTimeError(PathFileAccessError);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return RunTimeError(DiskFull);
    case EMFILE:
    case ENFILE:
        return RunTimeError(TooManyFiles);
    case ENOMEM:
        return RunTimeError(OutOfMemory);
    case EBADF:
        return RunTimeError(BadFileNameOrNumber);
    default:
        return RunTimeError(DeviceIoError);
    }
}

} // namespace Platform
