#pragma once
// One change at a time per aircraft and per history. Every procedure that changes an aircraft
// (installation, removal, repair, undo) holds a ChangeLock for the whole change: the aircraft's
// folder is locked, then the history's. A second process waits a bounded time, saying so through
// the wait notice, then is refused. With the locks held, changes a killed process left
// unfinished in the history are recovered first.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hx {

class History;
namespace platform {
class FolderLock;
}

// How long a change waits for another process's (30 s unless a front end or test sets it).
void setLockWaitLimit(std::chrono::milliseconds limit);
// Told once when a change has to wait ("Another Hangarix is changing KZQ_A320; waiting…") and
// with every line of what the recovery did; a front end shows it (the CLI on stderr).
void setChangeNotice(std::function<void(const std::string&)> notice);
// The notice, for the procedures that report on their own.
void changeNotice(const std::string& text);

class ChangeLock {
public:
    // Locks the folder of `configPath` and, when there is one, the history's folder; then
    // recovers the history. Throws Error, naming the aircraft, when another process keeps a
    // lock past the wait limit; then nothing was changed.
    ChangeLock(const std::string& configPath, History* history);
    ~ChangeLock();
    ChangeLock(ChangeLock&&) noexcept;
    ChangeLock& operator=(ChangeLock&&) = delete;

    // What the recovery did, one line per record (also given to the notice).
    const std::vector<std::string>& recovered() const { return recovered_; }

private:
    std::unique_ptr<platform::FolderLock> aircraft_;
    std::unique_ptr<platform::FolderLock> history_;
    std::vector<std::string> recovered_;
};

// The recovery at start: runs History::recover when the history's lock is free (a process
// holding it recovers on its own), telling the notice what it did.
void recoverHistory(History& history);

} // namespace hx
