#include "history/History.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/MoveFolder.h"
#include "platform/TextFile.h"

#include <algorithm>
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

History* active = nullptr;

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

std::string recordText(const ChangeRecord& r)
{
    std::string text = "action=" + std::string(changeActionName(r.action)) + "\ntime=" + r.time +
                       "\nproduct=" + r.product + "\nlivery=" + r.livery +
                       "\nconfig=" + r.configPath + "\nhash=" + r.hashAfter +
                       "\ntextureFolder=" + r.textureFolder +
                       "\ntextureMoved=" + (r.textureMoved ? "1" : "0") +
                       "\nfolderCreated=" + (r.folderCreated ? "1" : "0") + "\n";
    for (const std::string& file : r.copiedFiles)
        text += "copied=" + file + "\n";
    return text;
}

// Fills `r` from a record's text; false when the text is no record.
bool parseRecord(const std::string& text, ChangeRecord& r)
{
    std::istringstream lines(text);
    std::string line;
    bool hasAction = false;
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
    }
    return hasAction && !r.configPath.empty();
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

void removeTree(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
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
        const std::string own = history_->recordFolder(record_.id);
        if (contentHash(readFileBytes(record_.configPath)) ==
            contentHash(readFileBytes(platform::joinPath(own, kConfigCopy))))
            removeTree(own);
    } catch (const Error&) {
        // the record stays, incomplete; undo passes it by
    }
}

void PendingChange::copyingInto(const std::string& folder, bool created)
{
    record_.textureFolder = folder;
    record_.folderCreated = created;
}

void PendingChange::fileCopied(const std::string& path)
{
    if (history_)
        record_.copiedFiles.push_back(path);
}

bool PendingChange::moveTextureFolder(const std::string& folder)
{
    if (!history_)
        return false;
    const std::string target = platform::joinPath(history_->recordFolder(record_.id), kTextureCopy);
    if (!platform::moveFolder(folder, target))
        return false;
    record_.textureFolder = folder;
    record_.textureMoved = true;
    return true;
}

void PendingChange::finish()
{
    if (!history_)
        return;
    record_.hashAfter = contentHash(readFileBytes(record_.configPath));
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

PendingChange History::begin(ChangeAction action, const std::string& product,
                             const std::string& livery, const std::string& configPath)
{
    ChangeRecord record;
    const std::vector<ChangeRecord> existing = records();
    record.id = existing.empty() ? 1 : existing.front().id + 1;
    record.time = utcNow();
    record.action = action;
    record.product = product;
    record.livery = livery;
    record.configPath = platform::resolvePath(configPath);

    (void)platform::createFolder(folder()); // it is there after the first change
    const std::string own = recordFolder(record.id);
    if (!platform::createFolder(own))
        throw IoError("Cannot write the history in " + folder() + "; nothing was changed");
    try {
        platform::writeTextAtomic(platform::joinPath(own, kConfigCopy),
                                  readFileBytes(record.configPath));
        write(record);
    } catch (const Error& e) {
        removeTree(own);
        throw IoError("Cannot write the history in " + folder() + " (" + e.what() +
                      "); nothing was changed");
    }
    return PendingChange(this, std::move(record));
}

std::vector<ChangeRecord> History::records() const
{
    std::vector<ChangeRecord> list;
    for (const platform::DirEntry& entry : platform::listFolder(folder(), "*")) {
        const std::optional<std::uint64_t> id = recordId(entry.name);
        if (!entry.isFolder || !id)
            continue;
        ChangeRecord record;
        record.id = *id;
        try {
            if (parseRecord(readFileBytes(platform::joinPath(recordFolder(*id), kRecordFile)),
                            record))
                list.push_back(std::move(record));
        } catch (const Error&) {
            // a record that cannot be read is left out
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

void setActiveHistory(History* history)
{
    active = history;
}

History* activeHistory()
{
    return active;
}

PendingChange beginChange(ChangeAction action, const std::string& product,
                          const std::string& livery, const std::string& configPath)
{
    if (!active)
        return {};
    return active->begin(action, product, livery, configPath);
}

} // namespace hx
