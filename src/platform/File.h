// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace Platform {

// An open file of the suite, read and written at 1-based byte positions.
//
// Opening follows the suite's sharing rules: every open records what it does
// (read, write) and what it keeps others from doing (the locked modes), with
// open-file-description locks on marker bytes far beyond any data. An open
// that would break the rules of an open that is already there, in this
// process or another, fails with "Permission denied".
class File
{
public:
    // Mode bits; the suite combines them as 5 binary read, 6 text read,
    // 9 binary write, 10 text write (created or emptied), 13 binary read and
    // write, and with Locked: 21 and 22 (others may not read), 25 and 26
    // (others may not write), 29 (others may neither read nor write).
    enum ModeBit : int
    {
        Binary = 1,
        Text = 2,
        Read = 4,
        Write = 8,
        Locked = 16
    };

    enum class Operation
    {
        Open,
        Read,
        Write
    };
    // A test seam that stands in for a failing device: it is asked before
    // every operation and returns the error number to fail with, or 0.
    using FaultHook = std::function<int(const QString& path, Operation operation)>;
    static void setFaultHook(FaultHook hook);

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Throws RunTimeError: "File not found" for a missing file opened for
    // reading, "Path not found", "Permission denied" for a sharing conflict
    // or an access right, "Bad file mode" for a combination of bits that is
    // not a mode.
    static File open(const QString& path, int mode);

    bool isOpen() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    int mode() const { return m_mode; }
    qint64 size() const;

    // Up to `count` bytes from `position` (1-based); fewer at the end of the
    // file, none past it.
    QByteArray readAt(qint64 position, qint64 count) const;
    // Writes at `position` (1-based), growing the file as needed.
    void writeAt(qint64 position, QByteArrayView bytes);
    void append(QByteArrayView bytes) { writeAt(size() + 1, bytes); }
    // Flushes the file's data to the device.
    void sync();
    void close();

private:
    File(int fd, QString path, int mode) : m_fd(fd), m_path(std::move(path)), m_mode(mode) {}
    void check(Operation operation) const;

    int m_fd = -1;
    QString m_path;
    int m_mode = 0;
};

} // namespace Platform
