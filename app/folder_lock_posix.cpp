#include "app/folder_lock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

FolderLock::FolderLock(QString path) : path_(std::move(path)) {}

FolderLock::~FolderLock()
{
    release();
}

FolderLock::Outcome FolderLock::acquire()
{
    const QByteArray name = QFile::encodeName(path_);
    // A holder that ends removes the file after we opened it: then our lock is on a file
    // nobody else can find, and the next start would lock a new one beside us. Lock
    // again until the locked file is the one the name points at.
    for (int attempt = 0; attempt < 10; ++attempt) {
        int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        // A folder we may not write can still hold the lock of a tank that may: a lock
        // needs no write access.
        if (fd < 0)
            fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return Outcome::Unavailable;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int why = errno;
            ::close(fd);
            return why == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
        }
        struct stat opened = {}, named = {};
        if (::fstat(fd, &opened) == 0 && ::stat(name.constData(), &named) == 0 && opened.st_dev == named.st_dev
            && opened.st_ino == named.st_ino) {
            // What a previous holder wrote (a pid, a host name) means nothing now; say who
            // holds it for whoever looks.
            const QByteArray who = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, who.constData(), size_t(who.size()), 0) < 0) {
                // Only a note for people; the lock is what counts.
            }
            handle_ = fd;
            return Outcome::Held;
        }
        ::close(fd);
    }
    return Outcome::Unavailable;
}

void FolderLock::release()
{
    const long long fd = handle_.exchange(-1);
    if (fd < 0)
        return;
    // Removed while still locked, so no one can lock the old file after we let it go.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(int(fd));
}
