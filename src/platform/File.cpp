// SPDX-License-Identifier: GPL-3.0-or-later
#include "File.h"

#include "FileSystem.h"
#include "RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

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
// denies; it may open only when nobody holds the opposite marker. Appends,
// claims and the writer of a file being made take exclusive locks on
// markers of their own.
constexpr off_t MarkerBase = 0x7fff'ffff'ffff'0000;
enum Marker : off_t
{
    Reading = 0,
    Writing = 1,
    DenyRead = 2,
    DenyWrite = 3,
    Appending = 4,
    Claimed = 5,
    Maker = 6,
    InPlace = 7
};

struct flock markerLock(short type, Marker marker)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = MarkerBase + marker;
    lock.l_len = 1;
    return lock;
}

// True when another open holds the marker.
bool markerTaken(int fd, Marker marker)
{
    struct flock lock = markerLock(F_WRLCK, marker);
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0)
        return false;
    return lock.l_type != F_UNLCK;
}

bool takeMarker(int fd, Marker marker, bool readable)
{
    // A shared lock needs a readable descriptor; a write-only one takes the
    // stricter exclusive lock, which still keeps the rules.
    struct flock lock = markerLock(readable ? F_RDLCK : F_WRLCK, marker);
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Takes the markers of what an open does and denies, then looks for opens
// that hold the opposite ones. Taking before looking means that of two
// opens that exclude each other, made at the same moment, never both get in.
bool takeSharingMarkers(int fd, bool read, bool write, bool locked, bool readable)
{
    const bool denyRead = locked && read;
    const bool denyWrite = locked && write;
    if ((read && !takeMarker(fd, Reading, readable)) ||
        (write && !takeMarker(fd, Writing, readable)) ||
        (denyRead && !takeMarker(fd, DenyRead, readable)) ||
        (denyWrite && !takeMarker(fd, DenyWrite, readable)))
        return false;
    return !((read && markerTaken(fd, DenyRead)) || (write && markerTaken(fd, DenyWrite)) ||
             (denyRead && markerTaken(fd, Reading)) || (denyWrite && markerTaken(fd, Writing)));
}

bool validMode(int mode)
{
    const bool binary = mode & File::Binary;
    const bool text = mode & File::Text;
    return binary != text && (mode & (File::Read | File::Write)) && mode < 32;
}

void askFaultHook(const QString& path, File::Operation operation)
{
    if (faultHook) {
        if (const int error = faultHook(path, operation))
            throw RunTimeError(error);
    }
}

[[noreturn]] void throwOpenFailure(const QString& path, int err)
{
    // As the suite reports it: a missing folder is another fault than a
    // missing file.
    if (err == ENOENT && !QFileInfo(path).absoluteDir().exists())
        throw RunTimeError(RunTimeError::PathNotFound);
    throw RunTimeError::fromErrno(err);
}

void refuseFolder(int fd)
{
    struct stat info = {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw RunTimeError(RunTimeError::PathFileAccessError);
    }
}

const QString& hostName()
{
    // Asked once: a batch of files asks for a temporary name a file.
    static const QString host = [] {
        char name[256] = {};
        if (gethostname(name, sizeof name - 1) != 0)
            return QStringLiteral("host");
        return QString::fromLocal8Bit(name).replace(QLatin1Char('/'), QLatin1Char('_'));
    }();
    return host;
}

// Flushes a folder's entries, so that a rename in it survives a crash. A
// folder the file system will not flush (some answer EINVAL) or that cannot
// be opened for it is left as it is: the rename itself has been done.
void syncFolder(const QString& folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const int result = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (result != 0 && err != EINVAL && err != ENOTSUP && err != EROFS)
        throw RunTimeError::fromErrno(err);
}

// ".NAME." that starts the temporaries of `target`, and whether a name that
// starts so is one: HOST.PID.RANDOM.tmp follows.
QString temporaryPrefix(const QString& target)
{
    return QLatin1Char('.') + QFileInfo(target).fileName().left(100) + QLatin1Char('.');
}

bool isTemporaryName(QStringView name, QStringView prefix)
{
    static const QRegularExpression rest(QStringLiteral("^.+\\.[0-9]+\\.[0-9a-f]+\\.tmp$"));
    return name.startsWith(prefix) && rest.match(name.sliced(prefix.size())).hasMatch();
}

} // namespace

void File::setFaultHook(FaultHook hook)
{
    faultHook = std::move(hook);
}

int File::faultFor(const QString& path, Operation operation)
{
    return faultHook ? faultHook(path, operation) : 0;
}

void File::checkFault(const QString& path, Operation operation)
{
    askFaultHook(path, operation);
}

void File::check(Operation operation) const
{
    askFaultHook(m_path, operation);
}

File File::open(const QString& path, int mode)
{
    if (!validMode(mode))
        throw RunTimeError(RunTimeError::BadFileMode);
    if (path.isEmpty())
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    askFaultHook(path, Operation::Open);

    const bool read = mode & Read;
    const bool write = mode & Write;
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
    if (fd < 0)
        throwOpenFailure(path, errno);
    refuseFolder(fd);

    // Others may not read (locked read modes and 29), may not write (locked
    // write modes and 29).
    if (!takeSharingMarkers(fd, read, write, mode & Locked, readable)) {
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

std::optional<File> File::claim(const QString& path)
{
    askFaultHook(path, Operation::Open);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throwOpenFailure(path, errno);
    refuseFolder(fd);
    struct flock lock = markerLock(F_WRLCK, Claimed);
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EAGAIN || err == EACCES)
            return std::nullopt;
        throw RunTimeError::fromErrno(err);
    }
    return File(fd, path, Binary | Read | Write);
}

// The old file of a replacement, opened as a writer that keeps other writers
// out; one that may not be written is still opened, for reading, to take
// that lock. Not open when there is no old file.
File File::openToReplace(const QString& path)
{
    askFaultHook(path, Operation::Open);
    const QByteArray native = QFile::encodeName(path);
    int mode = Binary | Read | Write;
    int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        mode = Binary | Read;
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        if (errno == ENOENT)
            return File();
        throwOpenFailure(path, errno);
    }
    refuseFolder(fd);
    if (!takeSharingMarkers(fd, false, true, true, true)) {
        ::close(fd);
        throw RunTimeError(RunTimeError::PermissionDenied);
    }
    return File(fd, path, mode);
}

// A new file beside `target` that no other process or earlier run can have
// made: the host's name, the process number and a random part, created
// exclusively and held as its writer's. A name that somebody removing the
// temporaries of killed writers took for one of those is given up.
File File::createTemporaryBeside(const QString& target, int mode)
{
    const QFileInfo info(target);
    const QString prefix = QStringLiteral("%1/%2%3.%4.")
                               .arg(info.path(), temporaryPrefix(target), hostName())
                               .arg(::getpid());
    for (;;) {
        const QString path = prefix +
                             QString::number(QRandomGenerator::global()->generate64(), 16) +
                             QStringLiteral(".tmp");
        askFaultHook(path, Operation::Open);
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
        if (fd < 0 && errno != EEXIST)
            throwOpenFailure(path, errno);
        if (fd < 0)
            continue;
        File made(fd, path, Binary | Read | Write);
        if (made.holdAsWriter() && made.isAt(path))
            return made;
    }
}

bool File::markWritingInPlace()
{
    struct flock lock = markerLock(F_RDLCK, InPlace);
    return m_fd >= 0 && fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
}

File File::holdWritingInPlace(const QString& path)
{
    askFaultHook(path, Operation::Open);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throwOpenFailure(path, errno);
    refuseFolder(fd);
    File held(fd, path, Binary | Read);
    if (!held.markWritingInPlace())
        throw RunTimeError(RunTimeError::PermissionDenied);
    return held;
}

File::Holders File::otherHolders() const
{
    if (m_fd < 0)
        return {};
    return {markerTaken(m_fd, Claimed), markerTaken(m_fd, InPlace)};
}

bool File::holdAsWriter()
{
    struct flock lock = markerLock(F_WRLCK, Maker);
    return m_fd >= 0 && fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
}

bool File::writerGone(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool gone = !markerTaken(fd, Maker);
    ::close(fd);
    return gone;
}

bool File::removeIfWriterGone(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Held shared until it is gone: a writer cannot take it meanwhile.
    struct flock lock = markerLock(F_RDLCK, Maker);
    const bool removed = fcntl(fd, F_OFD_SETLK, &lock) == 0 && ::unlink(native.constData()) == 0;
    ::close(fd);
    return removed;
}

QStringList File::temporariesOf(const QString& target)
{
    const QString folder = QFileInfo(target).path();
    const QString prefix = temporaryPrefix(target);
    QStringList paths;
    for (const QString& name : listEntries(folder, QString(prefix + u'*'), EntryKind::Files)) {
        if (isTemporaryName(name, prefix))
            paths << folder + u'/' + name;
    }
    return paths;
}

void File::replaceWhole(const QString& path, qint64 length, const std::function<void(File&)>& write,
                        int newFileMode)
{
    if (path.isEmpty())
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    const QString target = resolveNoCase(path);
    File old = openToReplace(target);
    replaceOpen(old, target, length, write, newFileMode);
}

void File::replaceWhole(File& held, qint64 length, const std::function<void(File&)>& write)
{
    if (!held.isOpen() || !(held.m_mode & Write))
        throw RunTimeError(RunTimeError::BadFileMode);
    replaceOpen(held, held.m_path, length, write, 0666);
}

bool File::createWhole(const QString& path, qint64 length, const std::function<void(File&)>& write)
{
    if (path.isEmpty())
        throw RunTimeError(RunTimeError::BadFileNameOrNumber);
    File temporary = createTemporaryBeside(path, 0666);
    const QByteArray temporaryName = QFile::encodeName(temporary.path());
    bool made = false;
    try {
        write(temporary);
        temporary.resize(length);
        temporary.sync();
        made = linkInto(temporary, path);
    } catch (...) {
        ::unlink(temporaryName.constData());
        throw;
    }
    ::unlink(temporaryName.constData());
    temporary.close();
    if (made)
        syncFolder(QFileInfo(path).path());
    return made;
}

bool File::linkInto(const File& temporary, const QString& target)
{
    // A link, unlike a rename, never takes the place of what is there. The
    // temporary stays held meanwhile, so that it is never taken for a
    // killed writer's.
    askFaultHook(target, Operation::Rename);
    if (::link(QFile::encodeName(temporary.path()).constData(),
               QFile::encodeName(target).constData()) == 0)
        return true;
    if (errno != EEXIST)
        throw RunTimeError::fromErrno(errno);
    return false;
}

void File::replaceOpen(File& old, const QString& target, qint64 length,
                       const std::function<void(File&)>& write, int newFileMode)
{
    struct stat oldInfo = {};
    if (old.isOpen() && fstat(old.m_fd, &oldInfo) != 0)
        throw RunTimeError::fromErrno(errno);

    for (const QString& left : temporariesOf(target))
        removeIfWriterGone(left);
    File temporary;
    try {
        // Readable by its owner alone until it has the old file's rights.
        temporary = createTemporaryBeside(target, old.isOpen() ? 0600 : newFileMode);
    } catch (const RunTimeError& error) {
        if (error.number() != RunTimeError::PermissionDenied || !(old.mode() & Write))
            throw;
        write(old);
        old.resize(length);
        old.sync();
        return;
    }
    const QByteArray temporaryName = QFile::encodeName(temporary.path());
    try {
        if (old.isOpen()) {
            // The owner and group where the process may give them (root),
            // else the group where it may; else the process's own stay.
            [[maybe_unused]] const bool kept =
                fchown(temporary.m_fd, oldInfo.st_uid, oldInfo.st_gid) == 0 ||
                fchown(temporary.m_fd, uid_t(-1), oldInfo.st_gid) == 0;
            if (fchmod(temporary.m_fd, oldInfo.st_mode & 07777) != 0)
                throw RunTimeError::fromErrno(errno);
        }
        write(temporary);
        temporary.resize(length);
        temporary.sync();
        askFaultHook(target, Operation::Rename);
        // Renamed while its writer still holds it, so that it is never taken
        // for a killed writer's.
        if (::rename(temporaryName.constData(), QFile::encodeName(target).constData()) != 0)
            throw RunTimeError::fromErrno(errno);
        temporary.close();
    } catch (...) {
        ::unlink(temporaryName.constData());
        throw;
    }
    syncFolder(QFileInfo(target).path());
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

void File::resize(qint64 size)
{
    if (m_fd < 0 || !(m_mode & Write))
        throw RunTimeError(RunTimeError::BadFileMode);
    check(Operation::Write);
    if (::ftruncate(m_fd, off_t(size)) != 0)
        throw RunTimeError::fromErrno(errno);
}

void File::lockForAppending()
{
    if (m_fd < 0 || !(m_mode & Write))
        throw RunTimeError(RunTimeError::BadFileMode);
    struct flock lock = markerLock(F_WRLCK, Appending);
    while (fcntl(m_fd, F_OFD_SETLKW, &lock) != 0) {
        if (errno != EINTR)
            throw RunTimeError::fromErrno(errno);
    }
}

void File::unlockAppending()
{
    struct flock lock = markerLock(F_UNLCK, Appending);
    if (m_fd >= 0 && fcntl(m_fd, F_OFD_SETLK, &lock) != 0)
        throw RunTimeError::fromErrno(errno);
}

bool File::isAt(const QString& path) const
{
    struct stat open = {};
    struct stat named = {};
    return m_fd >= 0 && fstat(m_fd, &open) == 0 &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

void File::sync()
{
    if (m_fd >= 0 && ::fsync(m_fd) != 0)
        throw RunTimeError::fromErrno(errno);
}

NewFileBatch::NewFileBatch(QString folder, QStringView pattern) : m_folder(std::move(folder))
{
    static const QRegularExpression rest(QStringLiteral("\\.[0-9]+\\.[0-9a-f]+\\.tmp$"));
    const QString temporaries = QLatin1Char('.') + pattern.toString() + QStringLiteral(".*.tmp");
    for (const QString& name : listEntries(m_folder, temporaries, EntryKind::Files)) {
        if (rest.match(name).hasMatch())
            File::removeIfWriterGone(m_folder + u'/' + name);
    }
}

NewFileBatch::~NewFileBatch()
{
    discard();
}

void NewFileBatch::discard()
{
    for (Pending& pending : m_pending) {
        ::unlink(QFile::encodeName(pending.temporary.path()).constData());
        pending.temporary.close();
    }
    m_pending.clear();
    m_bytes = 0;
}

void NewFileBatch::add(const QString& name, qint64 length, const std::function<void(File&)>& write,
                       const QDateTime& modified)
{
    const QString target = m_folder + u'/' + name;
    File temporary = File::createTemporaryBeside(target, 0666);
    try {
        write(temporary);
        temporary.resize(length);
        if (modified.isValid()) {
            // Where the time cannot be set, the file keeps the time of writing.
            const timespec when{modified.toSecsSinceEpoch(), 0};
            const timespec times[2] = {when, when};
            (void)::futimens(temporary.m_fd, times);
        }
    } catch (...) {
        ::unlink(QFile::encodeName(temporary.path()).constData());
        throw;
    }
    m_pending.push_back({std::move(temporary), target});
    m_bytes += length;
}

std::vector<NewFileBatch::Result> NewFileBatch::commit()
{
    std::vector<Result> results(m_pending.size());
    if (m_pending.empty())
        return results;
    // One flush of the file system stands for one of each file: the data
    // of them all reaches the device before any of them has its name.
    QString failure;
    try {
        askFaultHook(m_folder, File::Operation::Write);
        const int folder =
            ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            throw RunTimeError::fromErrno(errno);
        const int synced = ::syncfs(folder);
        const int err = errno;
        ::close(folder);
        if (synced != 0)
            throw RunTimeError::fromErrno(err);
    } catch (const RunTimeError& error) {
        failure = error.description();
    }
    bool any = false;
    for (size_t i = 0; i < m_pending.size(); ++i) {
        Result& result = results[i];
        if (!failure.isEmpty()) {
            result.error = failure;
            continue;
        }
        try {
            const bool made = File::linkInto(m_pending[i].temporary, m_pending[i].target);
            result.outcome = made ? Outcome::Made : Outcome::Existing;
            any = any || made;
        } catch (const RunTimeError& error) {
            result.error = error.description();
        }
    }
    discard();
    if (any) {
        try {
            syncFolder(m_folder);
        } catch (const RunTimeError& error) {
            // Linked, but not surely on the device: said as a failure,
            // though the files stand whole.
            for (Result& result : results) {
                if (result.outcome == Outcome::Made) {
                    result.outcome = Outcome::Failed;
                    result.error = error.description();
                }
            }
        }
    }
    return results;
}

} // namespace Platform
