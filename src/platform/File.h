// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

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
        Write,
        MakeFolder,
        Rename,
        List // a folder's listing (FileSystem)
    };
    // A test seam that stands in for a failing device: it is asked before
    // every operation and returns the error number to fail with, or 0.
    using FaultHook = std::function<int(const QString& path, Operation operation)>;
    static void setFaultHook(FaultHook hook);
    // What the hook says of an operation of the platform's other reads.
    static int faultFor(const QString& path, Operation operation);
    // Asks the seam about an operation done outside this class (a folder
    // made or renamed); throws RunTimeError with the number it gives.
    static void checkFault(const QString& path, Operation operation);

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

    // Opens an existing file for reading and writing with an exclusive claim
    // that only other claims heed (the sharing rules are not involved): a
    // rebuild holds one on each index it rebuilds for as long as it runs, and
    // the system lets go of it when the process ends, however it ends.
    // Nothing when another open of the file, in this process or another,
    // holds the claim. Throws RunTimeError when the file cannot be opened.
    static std::optional<File> claim(const QString& path);

    // Replaces the file at `path` (whatever the case of its name) whole with
    // the `length` bytes that `write` puts into the file it is given, from
    // position 1, so that a crash leaves the old file or the new one and
    // never half of one. The old file is first opened under the sharing rules
    // as a writer that keeps other writers out, so that one who holds it open
    // for writing is never overtaken ("Permission denied"); then the
    // temporary files that earlier writers of the file left beside it when
    // they were killed are removed (writerGone), and a temporary file of a
    // name nobody else uses (".NAME.HOST.PID.RANDOM.tmp") is created in the
    // same folder, held as its writer's, filled, flushed to the device and
    // renamed over the old one, and the folder is flushed. The new file keeps the old one's
    // permission bits, owner and group as far as the process may set them; a file that is new gets
    // `newFileMode` less the umask. Where the folder refuses the temporary
    // file but the old file may be written, the old file is written in place,
    // still under its lock. Throws RunTimeError.
    static void replaceWhole(const QString& path, qint64 length,
                             const std::function<void(File&)>& write, int newFileMode = 0666);
    // Creates the file at `path` whole, as replaceWhole writes one, unless
    // something of that name is there already (or appears meanwhile): then
    // it is left alone and the result is false. Throws RunTimeError.
    static bool createWhole(const QString& path, qint64 length,
                            const std::function<void(File&)>& write);
    // The same for a file that `held` already holds open as a writer that
    // keeps other writers out (a claim of the sharing rules, which a second
    // open of this process would run into): it is written through that open.
    // Afterwards `held` still has the file that it replaced, no longer named.
    static void replaceWhole(File& held, qint64 length, const std::function<void(File&)>& write);

    // Marks this open as one that writes the file in place until it is
    // closed (it must be open for reading). An index whose maintenance flag
    // is set is being worked on only while somebody holds this mark, or a
    // claim (a writer that replaces it whole); the system drops both when a
    // process ends, so a flag that nobody holds was left by one that died.
    bool markWritingInPlace();
    // The same mark held by an open of its own, for reading only and without
    // the sharing rules (so that it keeps nobody out), for as long as the
    // File returned is kept. Throws RunTimeError when the file cannot be
    // opened.
    static File holdWritingInPlace(const QString& path);
    // The marks that other opens of the file, in this process or others,
    // hold: a claim, writing in place.
    struct Holders
    {
        bool claimed = false;
        bool inPlace = false;
    };
    Holders otherHolders() const;

    // Takes the lock that says this open writes the file until it is
    // closed (a temporary file of replaceWhole holds it while it is filled),
    // so that another process can tell for certain whether the file's writer
    // still lives. False when another open holds it.
    bool holdAsWriter();
    // True when nobody holds the file as its writer (holdAsWriter) any more:
    // its writer was stopped or killed part way, or the file was never so
    // held. False while its writer lives, and for a file that cannot be
    // opened to tell.
    static bool writerGone(const QString& path);
    // Removes the file when its writer is gone, holding it meanwhile so that
    // no writer takes it up again; true when it was removed.
    static bool removeIfWriterGone(const QString& path);
    // The temporary files of replaceWhole beside `target` (paths), whether
    // their writers live or not.
    static QStringList temporariesOf(const QString& target);

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
    // Cuts or extends the file to `size` bytes.
    void resize(qint64 size);
    // Waits until no other open of the file appends, then keeps others from
    // appending until this one is closed, so that records appended whole
    // under it never mix.
    void lockForAppending();
    // Lets others append again.
    void unlockAppending();
    // Flushes the file's data to the device.
    void sync();
    // True while `path` names this open file: false once the file has been
    // replaced whole (or removed) since it was opened.
    bool isAt(const QString& path) const;
    void close();

private:
    File(int fd, QString path, int mode) : m_fd(fd), m_path(std::move(path)), m_mode(mode) {}
    void check(Operation operation) const;
    friend class NewFileBatch;
    static File openToReplace(const QString& path);
    // Links the temporary file into `target`'s place unless something of
    // that name is there: true when it was linked. Throws RunTimeError.
    static bool linkInto(const File& temporary, const QString& target);
    static void replaceOpen(File& old, const QString& target, qint64 length,
                            const std::function<void(File&)>& write, int newFileMode);
    static File createTemporaryBeside(const QString& target, int mode);

    int m_fd = -1;
    QString m_path;
    int m_mode = 0;
};

// Files created whole in one folder, many at a time, as createWhole creates
// one but with one flush to the device for the lot: each file is written at
// once under a temporary name of its own (held as its writer's), and
// commit() flushes them together, links each into its name, never over
// something of that name, and flushes the folder. A process stopped or
// killed part way leaves whole files and temporaries, which nobody takes
// for the files and which the next batch in the folder removes.
class NewFileBatch
{
public:
    enum class Outcome
    {
        Made,
        Existing, // something of that name was there: it was left alone
        Failed    // `error` says why; nothing of that name was made
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString error;
    };

    // `pattern` ("*.emi") names the files that the batch makes: temporaries
    // of such names that killed writers left in the folder are removed.
    NewFileBatch(QString folder, QStringView pattern);
    // Removes the temporaries of files that were added but not committed.
    ~NewFileBatch();
    NewFileBatch(const NewFileBatch&) = delete;
    NewFileBatch& operator=(const NewFileBatch&) = delete;

    // Writes the file `name` of the folder under its temporary name: the
    // `length` bytes that `write` puts into it from position 1, then
    // `modified` as its time when valid. Throws RunTimeError, and then
    // leaves nothing behind.
    void add(const QString& name, qint64 length, const std::function<void(File&)>& write,
             const QDateTime& modified = {});
    // The files added since the last commit, and their bytes.
    int count() const { return int(m_pending.size()); }
    qint64 bytes() const { return m_bytes; }
    // What became of each file added since the last commit, in order.
    std::vector<Result> commit();

private:
    struct Pending
    {
        File temporary;
        QString target;
    };
    void discard();

    QString m_folder;
    std::vector<Pending> m_pending;
    qint64 m_bytes = 0;
};

} // namespace Platform
