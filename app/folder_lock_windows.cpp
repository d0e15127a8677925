#include "app/folder_lock.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

namespace {

// The lock is on one byte far past the note, not on the note itself: Windows' locks bar
// others from reading what they cover, and the note is there to be read. Locking beyond
// the end of a file is allowed and makes it no larger.
constexpr DWORD kLockedByteHigh = 0;
constexpr DWORD kLockedByteLow = 0x40000000;

bool lockTheByte(HANDLE h)
{
    OVERLAPPED at = {};
    at.Offset = kLockedByteLow;
    at.OffsetHigh = kLockedByteHigh;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void unlockTheByte(HANDLE h)
{
    OVERLAPPED at = {};
    at.Offset = kLockedByteLow;
    at.OffsetHigh = kLockedByteHigh;
    UnlockFileEx(h, 0, 1, 0, &at);
}

std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// Others may open the file (to read who holds it, or to find the lock taken); only the
// byte-range lock says who holds the folder. DELETE lets the holder remove the file while
// it still holds the lock.
HANDLE openLockFile(const std::wstring& path)
{
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, share, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // A folder we may not write can still hold the lock of a tank that may: a lock needs
    // no write access.
    if (h == INVALID_HANDLE_VALUE)
        h = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h;
}

bool deletePending(HANDLE h)
{
    FILE_STANDARD_INFO info = {};
    return GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info) && info.DeletePending;
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
    const std::wstring path = nativePath(path_);
    // A holder that ends removes the file while we open it: while its removal is pending
    // the name cannot be opened, or our lock would be on a file nobody else can find.
    // Try again until the locked file is one that stays.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0)
            Sleep(20);
        HANDLE h = openLockFile(path);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_ACCESS_DENIED)
                continue;
            return Outcome::Unavailable;
        }
        if (!lockTheByte(h)) {
            const DWORD why = GetLastError();
            CloseHandle(h);
            return why == ERROR_LOCK_VIOLATION || why == ERROR_IO_PENDING ? Outcome::HeldElsewhere
                                                                         : Outcome::Unavailable;
        }
        if (deletePending(h)) {
            CloseHandle(h);
            continue;
        }
        // What a previous holder wrote means nothing now; say who holds it for whoever looks.
        const QByteArray who = QByteArray::number(QCoreApplication::applicationPid()) + "\r\n";
        DWORD written = 0;
        if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(h))
            WriteFile(h, who.constData(), DWORD(who.size()), &written, nullptr);
        file_ = reinterpret_cast<long long>(h);
        held_ = true;
        return Outcome::Held;
    }
    return Outcome::Unavailable;
}

void FolderLock::release()
{
    if (!held_.exchange(false))
        return;
    HANDLE h = reinterpret_cast<HANDLE>(file_);
    file_ = -1;
    // Marked for removal while still locked, so no one can lock the old file after we let
    // it go: from now on it cannot be opened, and it goes with our handle. Marked through
    // the handle, so a file someone made in its place is not touched.
    FILE_DISPOSITION_INFO remove = {TRUE};
    SetFileInformationByHandle(h, FileDispositionInfo, &remove, sizeof remove);
    unlockTheByte(h);
    CloseHandle(h);
}
