// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <stdexcept>

namespace Platform {

// A run-time fault with the classic error number and description text. The
// description is what error references show after "Error:", so the texts are
// kept exactly as users of the suite know them.
class RunTimeError : public std::runtime_error
{
public:
    enum Number : int
    {
        ReturnWithoutGosub = 3,
        InvalidProcedureCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        DivisionByZero = 11,
        TypeMismatch = 13,
        OutOfStringSpace = 14,
        OutOfStackSpace = 28,
        BadFileNameOrNumber = 52,
        FileNotFound = 53,
        BadFileMode = 54,
        FileAlreadyOpen = 55,
        DeviceIoError = 57,
        FileAlreadyExists = 58,
        DiskFull = 61,
        InputPastEndOfFile = 62,
        TooManyFiles = 67,
        DeviceUnavailable = 68,
        PermissionDenied = 70,
        DiskNotReady = 71,
        PathFileAccessError = 75,
        PathNotFound = 76,
        ResourceNotFound = 326,
    };

    explicit RunTimeError(int number);
    // An error of our own with a description of its own (the number stays a
    // classic one so that callers can still tell the kind of fault).
    RunTimeError(int number, const QString& description);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

    // The classic description of an error number; "Application-defined or
    // object-defined error" for numbers that have none.
    static QString describe(int number);
    // The error that best matches a POSIX errno value.
    static RunTimeError fromErrno(int err);

private:
    int m_number;
    QString m_description;
};

} // namespace Platform
