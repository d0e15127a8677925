#pragma once

#include <QString>

#include <atomic>

// One tank per folder. The lock is the kernel's own (flock on Linux, LockFileEx on
// Windows), so it goes with its holder however that ends: nothing is guessed from pids,
// hosts or ages, and a SET.lock that nobody holds (empty, from another machine, copied
// with its folder) is simply taken. The folder itself is locked as well, so a name that
// cannot be locked (a pipe, a link, a folder, a file that cannot be made) does not let
// two tanks run.
class FolderLock {
public:
    enum class Outcome {
        Held,           // this process holds the folder
        HeldElsewhere,  // another live process holds it
        Unavailable,    // no lock can be had here (a file system without locks): the tank
                        // starts without one
    };

    explicit FolderLock(QString path);
    ~FolderLock();  // release()
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Answers at once: it never waits for another holder, nor on what the name is.
    Outcome acquire();
    // Removes the file, if it is still the one locked, and drops the lock. Safe from any
    // thread, and more than once.
    void release();

private:
    QString path_;
    std::atomic<bool> held_{false};
    // File descriptors or HANDLEs, as the platform has them; -1 for none.
    long long file_ = -1;
    long long folder_ = -1;
};
