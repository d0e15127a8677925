#pragma once

#include <QString>

#include <atomic>

// One tank per folder. The lock is the kernel's own on SET.lock (flock on Linux, LockFileEx
// on Windows), so it goes with its holder however that ends: nothing is guessed from pids,
// hosts or ages, and a SET.lock that nobody holds (empty, from another machine, copied
// with its folder) is simply taken.
class FolderLock {
public:
    enum class Outcome {
        Held,         // this process holds the folder
        HeldElsewhere,  // another live process holds it
        Unavailable,  // no lock can be had here (a folder we may not write, no locks on
                      // this file system): the tank starts without one
    };

    explicit FolderLock(QString path);
    ~FolderLock();  // release()
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    Outcome acquire();
    // Removes the file and drops the lock. Safe from any thread, and more than once.
    void release();

private:
    QString path_;
    std::atomic<long long> handle_{-1};  // a file descriptor or a HANDLE, as the platform has it
};
