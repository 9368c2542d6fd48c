#pragma once
// One running copy per user. The lock is an flock() on a file in the user's data
// folder: the kernel drops it when the holding process ends, however it ends, so a
// crash can never leave a stale lock behind.
#include <QString>

namespace corvane {

class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Takes the lock on the file at path (created when missing, folders too).
    // False when another process holds it or the file cannot be opened.
    bool Acquire(const QString& path);
    bool Held() const { return fd_ >= 0; }
    void Release();

    // The lock file of this user: "corvane.lock" in the program folder (the
    // per-user data folder, or the one CORVANE_PROGRAM_FOLDER names).
    static QString DefaultPath();

private:
    int fd_ = -1;
};

} // namespace corvane
