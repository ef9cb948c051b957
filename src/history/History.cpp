#include "history/History.h"

#include "history/ChangeLock.h"

#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/MoveFolder.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace hx {

namespace {

constexpr const char* kRecordFile = "change.txt";
constexpr const char* kConfigCopy = "aircraft.cfg";
constexpr const char* kTextureCopy = "texture";

std::string utcNow()
{
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss<seconds> clock(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::optional<ChangeAction> actionNamed(std::string_view name)
{
    for (ChangeAction a : {ChangeAction::Installation, ChangeAction::Removal, ChangeAction::Repair})
        if (name == changeActionName(a))
            return a;
    return std::nullopt;
}

const char* stateName(ChangeState state)
{
    switch (state) {
    case ChangeState::Begun:
        return "begun";
    case ChangeState::Undoing:
        return "undoing";
    default:
        return "done";
    }
}

// The record ends with "end=1": a record without it was cut short and is not applied.
std::string recordText(const ChangeRecord& r)
{
    std::string text =
        "action=" + std::string(changeActionName(r.action)) + "\ntime=" + r.time +
        "\nstate=" + stateName(r.state) + "\nproduct=" + r.product + "\nlivery=" + r.livery +
        "\nconfig=" + r.configPath + "\nsaved=" + r.savedHash + "\nplanned=" + r.plannedHash +
        "\nstaging=" + r.staging + "\nhash=" + r.hashAfter + "\ntextureFolder=" + r.textureFolder +
        "\ntextureMoved=" + (r.textureMoved ? "1" : "0") +
        "\nfolderCreated=" + (r.folderCreated ? "1" : "0") + "\n";
    for (const std::string& file : r.copiedFiles)
        text += "copied=" + file + "\n";
    for (const std::uint64_t size : r.copiedSizes)
        text += "copiedSize=" + std::to_string(size) + "\n";
    return text + "end=1\n";
}

// Fills `r` from a record's text; false when the text is no record.
bool parseRecord(const std::string& text, ChangeRecord& r)
{
    std::istringstream lines(text);
    std::string line;
    bool hasAction = false;
    bool hasEnd = false;
    bool hasState = false;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (key == "action") {
            const auto action = actionNamed(value);
            hasAction = action.has_value();
            r.action = action.value_or(ChangeAction::Installation);
        } else if (key == "time")
            r.time = value;
        else if (key == "state") {
            hasState = true;
            r.state = value == "begun"     ? ChangeState::Begun
                      : value == "undoing" ? ChangeState::Undoing
                                           : ChangeState::Done;
        } else if (key == "saved")
            r.savedHash = value;
        else if (key == "planned")
            r.plannedHash = value;
        else if (key == "staging")
            r.staging = value;
        else if (key == "end")
            hasEnd = value == "1";
        else if (key == "product")
            r.product = value;
        else if (key == "livery")
            r.livery = value;
        else if (key == "config")
            r.configPath = value;
        else if (key == "hash")
            r.hashAfter = value;
        else if (key == "textureFolder")
            r.textureFolder = value;
        else if (key == "textureMoved")
            r.textureMoved = value == "1";
        else if (key == "folderCreated")
            r.folderCreated = value == "1";
        else if (key == "copied")
            r.copiedFiles.push_back(std::move(value));
        else if (key == "copiedSize" && !value.empty() && value.size() < 20 &&
                 value.find_first_not_of("0123456789") == std::string::npos)
            r.copiedSizes.push_back(std::stoull(value));
    }
    return hasAction && hasEnd && hasState && !r.configPath.empty() && !r.savedHash.empty();
}

std::optional<std::uint64_t> recordId(const std::string& name)
{
    if (name.empty() || name.size() > 18 ||
        !std::all_of(name.begin(), name.end(),
                     [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoull(name);
}

std::uint64_t treeSize(const std::string& folder)
{
    std::uint64_t total = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file(ec))
            total += it->file_size(ec);
    }
    return total;
}

} // namespace

std::string readFileBytes(const std::string& path)
{
    return platform::readFileBytes(path);
}

const char* changeActionName(ChangeAction action)
{
    switch (action) {
    case ChangeAction::Removal:
        return "removal";
    case ChangeAction::Repair:
        return "repair";
    default:
        return "installation";
    }
}

std::string contentHash(const std::string& bytes)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%zu:%016llx", bytes.size(),
                  static_cast<unsigned long long>(h));
    return text;
}

std::string changeDescription(const ChangeRecord& record)
{
    return std::string(changeActionName(record.action)) + " of " + record.livery + " (" +
           record.product + ")";
}

std::string undoQuestion(const ChangeRecord& record)
{
    return "Undo " + changeDescription(record) + "?";
}

// --- PendingChange -------------------------------------------------------------------------

PendingChange::PendingChange(History* history, ChangeRecord record)
    : history_(history), record_(std::move(record))
{
}

PendingChange::PendingChange(PendingChange&& other) noexcept
    : history_(other.history_), record_(std::move(other.record_))
{
    other.history_ = nullptr;
}

PendingChange::~PendingChange()
{
    if (!history_ || record_.textureMoved)
        return;
    try {
        // A change stopped by an error before it wrote aircraft.cfg leaves nothing to undo.
        if (contentHash(readFileBytes(record_.configPath)) == record_.savedHash)
            removeTree(history_->recordFolder(record_.id));
    } catch (const Error&) {
        // the record stays, unfinished; the next change rolls it back
    }
}

void PendingChange::copyingInto(const std::string& folder, const std::string& staging, bool created)
{
    if (!history_)
        return;
    record_.textureFolder = folder;
    record_.staging = staging;
    record_.folderCreated = created;
    history_->write(record_);
}

void PendingChange::placing(const std::vector<std::string>& files,
                            const std::vector<std::uint64_t>& sizes)
{
    if (!history_)
        return;
    record_.copiedFiles = files;
    record_.copiedSizes = sizes;
    history_->write(record_);
}

bool PendingChange::moveTextureFolder(const std::string& folder)
{
    if (!history_)
        return false;
    record_.textureFolder = folder;
    const std::string target = platform::joinPath(history_->recordFolder(record_.id), kTextureCopy);
    if (!platform::moveFolder(folder, target))
        return false;
    record_.textureMoved = true;
    return true;
}

void PendingChange::removingTextureFolder(const std::string& folder)
{
    if (!history_)
        return;
    record_.textureFolder = folder;
    history_->write(record_);
}

void PendingChange::rolledBack()
{
    if (!history_)
        return;
    removeTree(history_->recordFolder(record_.id));
    history_ = nullptr;
}

void PendingChange::finish()
{
    if (!history_)
        return;
    // The change has written the planned text whole (atomically), so that is what the file
    // holds; reading it back could only take in another program's later edit as ours.
    record_.hashAfter = record_.plannedHash;
    record_.state = ChangeState::Done;
    history_->write(record_);
    History* history = history_;
    history_ = nullptr; // finished: the destructor leaves the record alone
    history->prune();
}

// --- History -------------------------------------------------------------------------------

History::History(std::string startupFolder, HistoryLimits limits)
    : startupFolder_(std::move(startupFolder)), limits_(limits)
{
}

std::string History::folder() const
{
    return platform::joinPath(startupFolder_, kHistoryFolder);
}

std::string History::recordFolder(std::uint64_t id) const
{
    return platform::joinPath(folder(), std::to_string(id));
}

void History::write(const ChangeRecord& record) const
{
    platform::writeTextAtomic(platform::joinPath(recordFolder(record.id), kRecordFile),
                              recordText(record));
}

std::uint64_t History::nextId() const
{
    std::uint64_t highest = 0;
    for (const platform::DirEntry& entry : platform::listFolder(folder(), "*")) {
        std::size_t digits = 0;
        while (digits < entry.name.size() && digits < 18 && entry.name[digits] >= '0' &&
               entry.name[digits] <= '9')
            ++digits;
        if (digits > 0)
            highest = std::max<std::uint64_t>(highest, std::stoull(entry.name.substr(0, digits)));
    }
    return highest + 1;
}

PendingChange History::begin(ChangeAction action, const std::string& product,
                             const std::string& livery, const std::string& configPath,
                             const std::string& plannedText)
{
    ChangeRecord record;
    (void)platform::createFolder(folder()); // it is there after the first change
    record.id = nextId();
    record.time = utcNow();
    record.state = ChangeState::Begun;
    record.plannedHash = contentHash(plannedText);
    record.action = action;
    record.product = product;
    record.livery = livery;
    record.configPath = platform::resolvePath(configPath);

    const std::string own = recordFolder(record.id);
    if (!platform::createFolder(own))
        throw IoError("Cannot write the history in " + folder() + " (" + platform::lastErrorText() +
                      "); nothing was changed");
    try {
        const std::string saved = readFileBytes(record.configPath);
        record.savedHash = contentHash(saved);
        platform::writeTextAtomic(platform::joinPath(own, kConfigCopy), saved);
        write(record);
    } catch (const Error& e) {
        removeTree(own);
        throw IoError("Cannot write the history in " + folder() + " (" + e.what() +
                      "); nothing was changed");
    }
    return PendingChange(this, std::move(record));
}

ChangeRecord History::readRecord(std::uint64_t id) const
{
    ChangeRecord record;
    record.id = id;
    if (!parseRecord(readFileBytes(platform::joinPath(recordFolder(id), kRecordFile)), record))
        throw Error("the history's change " + std::to_string(id) + " is not whole");
    return record;
}

std::vector<ChangeRecord> History::records() const
{
    std::vector<ChangeRecord> list;
    for (const platform::DirEntry& entry : platform::listFolder(folder(), "*")) {
        const std::optional<std::uint64_t> id = recordId(entry.name);
        if (!entry.isFolder || !id)
            continue;
        try {
            list.push_back(readRecord(*id));
        } catch (const Error&) {
            // a record that cannot be read is left out (and set aside by the next change)
        }
    }
    std::sort(list.begin(), list.end(),
              [](const ChangeRecord& a, const ChangeRecord& b) { return a.id > b.id; });
    return list;
}

void History::prune() const
{
    std::vector<ChangeRecord> list = records(); // newest first
    std::vector<std::uint64_t> sizes;
    std::uint64_t total = 0;
    for (const ChangeRecord& r : list) {
        sizes.push_back(treeSize(recordFolder(r.id)));
        total += sizes.back();
    }
    while (list.size() > 1 && (list.size() > limits_.maxRecords || total > limits_.maxBytes)) {
        removeTree(recordFolder(list.back().id));
        total -= sizes.back();
        list.pop_back();
        sizes.pop_back();
    }
}

PendingChange beginChange(History* history, ChangeAction action, const std::string& product,
                          const std::string& livery, const std::string& configPath,
                          const std::string& plannedText)
{
    if (!history)
        return {};
    return history->begin(action, product, livery, configPath, plannedText);
}

std::string parentFolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void removeTree(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ec);
}

void finishChange(PendingChange& change)
{
    try {
        change.finish();
    } catch (const Error& e) {
        changeNotice(std::string("The change was made, but its history record could not be "
                                 "completed (") +
                     e.what() + "); the next change completes it");
    }
}

namespace {

// Directly inside `folder`: the parent is `folder` (letter case ignored) and the last name is
// a plain one, not "." or "..".
bool directlyInside(const std::string& path, const std::string& folder)
{
    const std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos || folder.empty())
        return false;
    const std::string name = path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    const std::string parent = path.substr(0, slash);
    return parent.size() == folder.size() &&
           std::equal(parent.begin(), parent.end(), folder.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

bool recordPathsAreSafe(const ChangeRecord& r)
{
    // Only an aircraft.cfg is ever written back.
    const std::string aircraft = parentFolderOf(r.configPath);
    if (aircraft.empty() || !directlyInside(r.configPath, aircraft) ||
        !platform::equalsIgnoringCase(r.configPath.substr(aircraft.size() + 1), "aircraft.cfg"))
        return false;
    if (!r.textureFolder.empty() && !directlyInside(r.textureFolder, aircraft))
        return false;
    if (!r.staging.empty() && !directlyInside(r.staging, aircraft))
        return false;
    for (const std::string& file : r.copiedFiles)
        if (r.textureFolder.empty() || !directlyInside(file, r.textureFolder))
            return false;
    return true;
}

} // namespace hx
