#include "history/ChangeLock.h"

#include "history/History.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"

#include <thread>

namespace hx {

namespace {

std::chrono::milliseconds waitLimit{30000};
std::function<void(const std::string&)> notice;

std::string lastName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Tries the lock until the limit; the notice is told once that it waits.
std::unique_ptr<platform::FolderLock> lockWaiting(const std::string& folder,
                                                  const std::string& what)
{
    const auto until = std::chrono::steady_clock::now() + waitLimit;
    bool told = false;
    for (;;) {
        if (auto lock = platform::tryLockFolder(folder))
            return lock;
        if (std::chrono::steady_clock::now() >= until)
            throw Error("Another Hangarix is still changing " + what +
                        "; nothing was changed. Try again when it has finished");
        if (!told) {
            changeNotice("Another Hangarix is changing " + what + "; waiting\xE2\x80\xA6");
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace

void setLockWaitLimit(std::chrono::milliseconds limit)
{
    waitLimit = limit;
}

void setChangeNotice(std::function<void(const std::string&)> fn)
{
    notice = std::move(fn);
}

void changeNotice(const std::string& text)
{
    if (notice)
        notice(text);
}

ChangeLock::ChangeLock(const std::string& configPath, History* history)
{
    std::string aircraft = parentFolderOf(platform::resolvePath(configPath));
    if (aircraft.empty())
        aircraft = ".";
    aircraft_ = lockWaiting(aircraft, lastName(aircraft));
    if (!history)
        return;
    (void)platform::createFolder(history->folder()); // it is there after the first change
    history_ = lockWaiting(history->folder(), "the history in " + history->folder());
    recovered_ = history->recover(aircraft);
    for (const std::string& line : recovered_)
        changeNotice(line);
}

ChangeLock::~ChangeLock() = default;
ChangeLock::ChangeLock(ChangeLock&&) noexcept = default;

void recoverHistory(History& history)
{
    try {
        if (!platform::folderExists(history.folder()))
            return;
        const auto lock = platform::tryLockFolder(history.folder());
        if (!lock)
            return;
        for (const std::string& line : history.recover())
            changeNotice(line);
    } catch (const Error& e) {
        changeNotice(std::string("The history could not be checked: ") + e.what());
    }
}

} // namespace hx
