// SPDX-License-Identifier: GPL-3.0-or-later
#include "File.h"

#include "RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Platform {
namespace {

File::FaultHook faultHook;

// Marker bytes of the sharing rules, far beyond any data. An open holds a
// shared lock on the marker of each access it has and of each access it
// denies; it may open only when nobody holds the opposite marker.
constexpr off_t MarkerBase = 0x7fff'ffff'ffff'0000;
enum Marker : off_t
{
    Reading = 0,
    Writing = 1,
    DenyRead = 2,
    DenyWrite = 3
};

bool markerTaken(int fd, Marker marker)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = MarkerBase + marker;
    lock.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0)
        return false;
    return lock.l_type != F_UNLCK;
}

bool takeMarker(int fd, Marker marker, bool readable)
{
    struct flock lock = {};
    // A shared lock needs a readable descriptor; a write-only one takes the
    // stricter exclusive lock, which still keeps the rules.
    lock.l_type = readable ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = MarkerBase + marker;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool validMode(int mode)
{
    const bool binary = mode & File::Binary;
    const bool text = mode & File::Text;
    return binary != text && (mode & (File::Read | File::Write)) && mode < 32;
}

} // namespace

void File::setFaultHook(FaultHook hook)
{
    faultHook = std::move(hook);
}

void File::check(Operation operation) const
{
    if (faultHook) {
        if (const int error = faultHook(m_path, operation))
            throw RunTimeError(error);
    }
}

File File::open(const QString& path, int mode)
{
    if (!validMode(mode))
        throw RunTimeError(RunTimeError::BadFileMode);
    if (path.isEmpty())
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    if (faultHook) {
        if (const int error = faultHook(path, Operation::Open))
            throw RunTimeError(error);
    }

    const bool read = mode & Read;
    const bool write = mode & Write;
    const bool locked = mode & Locked;
    const QByteArray native = QFile::encodeName(path);

    int fd = -1;
    bool readable = true;
    if (!write) {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    } else {
        // Writing modes open for reading too where the rights allow, so that
        // they can take shared markers.
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EACCES && !read) {
            fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
            readable = false;
        }
    }
    if (fd < 0) {
        const int err = errno;
        // As the suite reports it: a missing folder is another fault than a
        // missing file.
        if (err == ENOENT && !QFileInfo(path).absoluteDir().exists())
            throw RunTimeError(RunTimeError::PathNotFound);
        throw RunTimeError::fromErrno(err);
    }

    struct stat info = {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw RunTimeError(RunTimeError::PathFileAccessError);
    }

    // Others may not read (locked read modes and 29), may not write (locked
    // write modes and 29).
    const bool denyRead = locked && read;
    const bool denyWrite = locked && write;
    const bool conflict =
        (read && markerTaken(fd, DenyRead)) || (write && markerTaken(fd, DenyWrite)) ||
        (denyRead && markerTaken(fd, Reading)) || (denyWrite && markerTaken(fd, Writing));
    bool taken = !conflict;
    if (taken && read)
        taken = takeMarker(fd, Reading, readable);
    if (taken && write)
        taken = takeMarker(fd, Writing, readable);
    if (taken && denyRead)
        taken = takeMarker(fd, DenyRead, readable);
    if (taken && denyWrite)
        taken = takeMarker(fd, DenyWrite, readable);
    if (!taken) {
        ::close(fd);
        throw RunTimeError(RunTimeError::PermissionDenied);
    }

    // A text file opened for writing starts empty; only now that the open is
    // known to be allowed.
    if ((mode & Text) && write && !read && ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        throw RunTimeError::fromErrno(err);
    }
    return File(fd, path, mode);
}

File::~File()
{
    close();
}

File::File(File&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)), m_mode(other.m_mode)
{}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_mode = other.m_mode;
    }
    return *this;
}

void File::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

qint64 File::size() const
{
    if (m_fd < 0)
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    struct stat info = {};
    if (fstat(m_fd, &info) != 0)
        throw RunTimeError::fromErrno(errno);
    return info.st_size;
}

QByteArray File::readAt(qint64 position, qint64 count) const
{
    if (m_fd < 0 || !(m_mode & Read))
        throw RunTimeError(RunTimeError::BadFileMode);
    if (position < 1)
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    check(Operation::Read);
    // A small read (an index record) just takes what pread gives; only a
    // large one asks the file's size first, so that nothing is allocated
    // beyond the file.
    constexpr qint64 SmallRead = 64 * 1024;
    const qint64 wanted = qMax<qint64>(0, count);
    const qint64 length =
        wanted <= SmallRead ? wanted : qMin(wanted, qMax<qint64>(0, size() - (position - 1)));
    QByteArray bytes(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(m_fd, bytes.data() + done, size_t(bytes.size() - done),
                                  off_t(position - 1 + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw RunTimeError::fromErrno(errno);
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

void File::writeAt(qint64 position, QByteArrayView bytes)
{
    if (m_fd < 0 || !(m_mode & Write))
        throw RunTimeError(RunTimeError::BadFileMode);
    if (position < 1)
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    check(Operation::Write);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, size_t(bytes.size() - done),
                                   off_t(position - 1 + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw RunTimeError::fromErrno(n < 0 ? errno : ENOSPC);
        done += n;
    }
}

void File::sync()
{
    if (m_fd >= 0 && ::fsync(m_fd) != 0)
        throw RunTimeError::fromErrno(errno);
}

} // namespace Platform
