#pragma once
// One running copy per user. The lock is an flock() on a file in the user's data
// folder: the kernel drops it when the holding process ends, however it ends, so a
// crash can never leave a stale lock behind.
#include <QString>

namespace corvane {

class SingleInstanceLock {
public:
    enum class Result {
        Taken,         // this copy holds the lock
        HeldElsewhere, // another running copy holds it
        FolderUnusable // the folder or the lock file cannot be made or written: Error() says why
    };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Takes the lock on the file at path, creating the file and its folders when
    // missing, and makes sure a file can be written beside it.
    Result Acquire(const QString& path);
    bool Held() const { return fd_ >= 0; }
    void Release();
    // The system's error number of the last FolderUnusable.
    int Error() const { return error_; }

    // The lock file of this user: "corvane.lock" in the program folder (the
    // per-user data folder, or the one CORVANE_PROGRAM_FOLDER names).
    static QString DefaultPath();

private:
    int fd_ = -1;
    int error_ = 0;
};

// The system's reason for an error number, in Portuguese.
QString SystemReason(int error);
// What the player reads when the data folder cannot be used.
QString DataFolderMessage(const QString& folder, int error);

} // namespace corvane
