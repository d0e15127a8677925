#include "app/folder_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cwchar>
#include <initializer_list>

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

// The folder's own lock: a mutex named after the folder's identity on its volume, which
// exists while a holder has it open and goes with the holder however it ends. Two
// starts meet there whatever the name SET.lock is (a folder, a file that cannot be made).
// Null where the folder cannot be told apart; with `taken` set where another holds it.
HANDLE lockTheFolder(const QString& lockPath, bool& taken)
{
    taken = false;
    const std::wstring folder = QDir::toNativeSeparators(QFileInfo(lockPath).absolutePath()).toStdWString();
    HANDLE dir = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION id = {};
    const bool known = GetFileInformationByHandle(dir, &id);
    CloseHandle(dir);
    if (!known)
        return nullptr;
    // Global: a tank in another session on this machine is met as well.
    for (const wchar_t* space : {L"Global", L"Local"}) {
        wchar_t name[96];
        std::swprintf(name, sizeof name / sizeof name[0], L"%ls\\pondel-folder-%08lx-%08lx%08lx", space,
                 id.dwVolumeSerialNumber, id.nFileIndexHigh, id.nFileIndexLow);
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
        if (!mutex)
            continue;
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(mutex);
            taken = true;
            return nullptr;
        }
        return mutex;
    }
    return nullptr;
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
    bool taken = false;
    HANDLE folder = lockTheFolder(path_, taken);
    if (taken)
        return Outcome::HeldElsewhere;
    // The file's lock is what a tank on another machine sees (a network share), and the
    // file is where the holder leaves its note.
    const std::wstring path = nativePath(path_);
    HANDLE file = INVALID_HANDLE_VALUE;
    // A holder elsewhere that ends removes the file while we open it: while its removal
    // is pending the name cannot be opened, or our lock would be on a file nobody else
    // can find. Try again until the locked file is one that stays.
    for (int attempt = 0; attempt < 10 && file == INVALID_HANDLE_VALUE; ++attempt) {
        if (attempt > 0)
            Sleep(20);
        HANDLE h = openLockFile(path);
        if (h == INVALID_HANDLE_VALUE) {
            // Refused while a holder's removal is pending; a folder by that name is
            // refused for good.
            const DWORD why = GetLastError();
            const DWORD attributes = GetFileAttributesW(path.c_str());
            const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            if (why == ERROR_ACCESS_DENIED && !isFolder)
                continue;
            break;  // the name cannot serve: the folder's lock alone
        }
        if (!lockTheByte(h)) {
            const DWORD why = GetLastError();
            CloseHandle(h);
            if (why == ERROR_LOCK_VIOLATION || why == ERROR_IO_PENDING) {
                if (folder)
                    CloseHandle(folder);
                return Outcome::HeldElsewhere;
            }
            break;  // no locks on this file system
        }
        if (deletePending(h))
            CloseHandle(h);
        else
            file = h;
    }
    if (file == INVALID_HANDLE_VALUE && !folder)
        return Outcome::Unavailable;
    if (file != INVALID_HANDLE_VALUE) {
        // What a previous holder wrote means nothing now; say who holds it for whoever looks.
        const QByteArray who = QByteArray::number(QCoreApplication::applicationPid()) + "\r\n";
        DWORD written = 0;
        if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(file))
            WriteFile(file, who.constData(), DWORD(who.size()), &written, nullptr);
        file_ = reinterpret_cast<long long>(file);
    }
    folder_ = reinterpret_cast<long long>(folder ? folder : INVALID_HANDLE_VALUE);
    held_ = true;
    return Outcome::Held;
}

void FolderLock::release()
{
    if (!held_.exchange(false))
        return;
    if (file_ != -1) {
        HANDLE h = reinterpret_cast<HANDLE>(file_);
        // Marked for removal while still locked, so no one can lock the old file after we
        // let it go: from now on it cannot be opened, and it goes with our handle. Marked
        // through the handle, so a file someone made in its place is not touched.
        FILE_DISPOSITION_INFO remove = {TRUE};
        SetFileInformationByHandle(h, FileDispositionInfo, &remove, sizeof remove);
        unlockTheByte(h);
        CloseHandle(h);
    }
    // The folder goes last: until then no start here gets as far as the file.
    if (folder_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(folder_));
    file_ = folder_ = -1;
}
