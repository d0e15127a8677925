#include "app/folder_lock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where the lock file is looked up: beside the locked folder's descriptor when there is
// one, so the name is always read in the folder that was locked.
struct Name {
    int at;
    QByteArray name;
};

Name nameIn(const QString& path, long long folder)
{
    if (folder >= 0)
        return {int(folder), QFile::encodeName(QFileInfo(path).fileName())};
    return {AT_FDCWD, QFile::encodeName(path)};
}

// The lock file, opened for locking if it is a regular file (made if missing and the
// folder lets us); -1 where the name cannot serve. Opening must never block (a pipe
// waits for a writer) nor follow a link: the name is checked before, and what was opened
// after.
int openLockFile(const Name& n)
{
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    struct stat st = {};
    if (::fstatat(n.at, n.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        return -1;
    int fd = ::openat(n.at, n.name.constData(), O_RDWR | O_CREAT | kFlags, 0644);
    // A file we may not write can still be locked: a lock needs no write access.
    if (fd < 0)
        fd = ::openat(n.at, n.name.constData(), O_RDONLY | kFlags);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

FolderLock::FolderLock(QString path) : path_(std::move(path)) {}

FolderLock::~FolderLock()
{
    release();
}

FolderLock::Outcome FolderLock::acquire()
{
    if (held_)
        return Outcome::Held;
    // The folder first: two starts on this machine meet there whatever the name is, and
    // a holder removing its file still holds the folder, so nobody locks a file that is
    // on its way out. A folder we may not list cannot be opened; one on a file system
    // that locks no folders is left to the file.
    int folder = ::open(QFile::encodeName(QFileInfo(path_).path()).constData(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    bool folderLocked = false;
    if (folder >= 0) {
        folderLocked = ::flock(folder, LOCK_EX | LOCK_NB) == 0;
        if (!folderLocked && errno == EWOULDBLOCK) {
            ::close(folder);
            return Outcome::HeldElsewhere;
        }
    }
    // The file's lock is what a tank on another machine sees (a network share), and the
    // file is where the holder leaves its note.
    const Name n = nameIn(path_, folder);
    int file = -1;
    for (int attempt = 0; attempt < 10 && file < 0; ++attempt) {
        const int fd = openLockFile(n);
        if (fd < 0)
            break;  // the name cannot serve: the folder's lock alone
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int why = errno;
            ::close(fd);
            if (why == EWOULDBLOCK) {
                if (folder >= 0)
                    ::close(folder);
                return Outcome::HeldElsewhere;
            }
            break;  // no locks on this file system
        }
        // A holder elsewhere that ends removes the file after we opened it: then our
        // lock is on a file nobody else can find. Lock again until the locked file is
        // the one the name points at.
        struct stat opened = {}, named = {};
        if (::fstat(fd, &opened) == 0 && ::fstatat(n.at, n.name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && sameFile(opened, named)) {
            file = fd;
        } else {
            ::close(fd);
        }
    }
    if (file < 0 && !folderLocked) {
        if (folder >= 0)
            ::close(folder);
        return Outcome::Unavailable;
    }
    if (file >= 0) {
        // What a previous holder wrote (a pid, a host name) means nothing now; say who
        // holds it for whoever looks.
        const QByteArray who = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(file, 0) == 0 && ::pwrite(file, who.constData(), size_t(who.size()), 0) < 0) {
            // Only a note for people; the lock is what counts.
        }
    }
    file_ = file;
    folder_ = folder;
    held_ = true;
    return Outcome::Held;
}

void FolderLock::release()
{
    if (!held_.exchange(false))
        return;
    if (file_ >= 0) {
        // Removed while still locked, so no one can lock the old file after we let it
        // go; and only while the name still is our file: someone may have removed it
        // and made another, which is not ours to take away.
        const Name n = nameIn(path_, folder_);
        struct stat mine = {}, named = {};
        if (::fstat(int(file_), &mine) == 0
            && ::fstatat(n.at, n.name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(mine, named))
            ::unlinkat(n.at, n.name.constData(), 0);
        ::close(int(file_));
    }
    // The folder goes last: until then no start here gets as far as the file.
    if (folder_ >= 0)
        ::close(int(folder_));
    file_ = folder_ = -1;
}
