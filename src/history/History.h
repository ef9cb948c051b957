#pragma once
// The history of the changes the tool makes to an aircraft, kept in the working folder
// "history" so that each change can be undone: before aircraft.cfg is replaced its previous
// bytes are kept, a removed livery's texture folder is moved in instead of being deleted, and
// the files an installation copied are listed. One folder per change, named by its id:
//   history/<id>/change.txt     what, when, where, the file's hash after the change
//   history/<id>/aircraft.cfg   the file as it was before
//   history/<id>/texture        the texture folder a removal took away
// Records are written before anything in the simulator is touched; a record that cannot be
// written stops the change. The history keeps the newest records within a count and a size.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hx {

inline constexpr const char* kHistoryFolder = "history";

enum class ChangeAction { Installation, Removal, Repair };

// "installation", "removal", "repair".
const char* changeActionName(ChangeAction action);

struct ChangeRecord {
    std::uint64_t id = 0;
    std::string time; // UTC, "YYYY-MM-DD HH:MM:SS"
    ChangeAction action = ChangeAction::Installation;
    std::string product;
    std::string livery;
    std::string configPath;     // the aircraft.cfg that was changed
    std::string hashAfter;      // of that file after the change; empty until the change ends
    std::string textureFolder;  // removal: where the moved folder came from; installation:
                                // where the files were copied to
    bool textureMoved = false;  // removal: the folder lies in the record
    bool folderCreated = false; // installation: the change created textureFolder
    std::vector<std::string> copiedFiles; // installation: the files it copied, full paths
};

// The hash kept for a file's content: its size and 64-bit FNV-1a, in hex. Not a defence against
// an attacker; it tells whether something else wrote the file since.
std::string contentHash(const std::string& bytes);

// A file's bytes as they are. Throws IoError when it cannot be read.
std::string readFileBytes(const std::string& path);

struct HistoryLimits {
    std::size_t maxRecords = 50;
    std::uint64_t maxBytes = std::uint64_t{2} << 30; // 2 GiB
};

class History;

// One change under way. The procedures that change an aircraft call it in this order:
// History::begin (before anything is touched), the notes below as they work, finish.
class PendingChange {
public:
    PendingChange() = default; // no history: every call does nothing
    PendingChange(History* history, ChangeRecord record);
    // A change that ends without finish() (an error stopped it) drops its record when it left
    // aircraft.cfg as it was and moved no folder; otherwise the record stays, incomplete.
    ~PendingChange();
    PendingChange(PendingChange&& other) noexcept;
    PendingChange& operator=(PendingChange&&) = delete;
    PendingChange(const PendingChange&) = delete;
    PendingChange& operator=(const PendingChange&) = delete;

    // Installation: the texture folder the files go to, and whether the change created it.
    void copyingInto(const std::string& folder, bool created);
    void fileCopied(const std::string& path);
    // Removal: moves the texture folder into the record instead of deleting it. Returns false
    // (and moves nothing) when there is no history or the move failed.
    bool moveTextureFolder(const std::string& folder);
    // Stores the hash of aircraft.cfg as the change left it. Throws IoError when the record
    // cannot be written.
    void finish();

    bool recording() const { return history_ != nullptr; }

private:
    History* history_ = nullptr;
    ChangeRecord record_;
};

// How an undo ended.
struct UndoResult {
    bool undone = false;
    std::string message; // one line per undone change, or why nothing was undone
};

class History {
public:
    explicit History(std::string startupFolder, HistoryLimits limits = {});

    std::string folder() const;
    std::string recordFolder(std::uint64_t id) const;

    // Starts a record: keeps the current bytes of `configPath`. Throws IoError when the record
    // cannot be written; then nothing was kept.
    PendingChange begin(ChangeAction action, const std::string& product, const std::string& livery,
                        const std::string& configPath);

    // Every readable record, newest first.
    std::vector<ChangeRecord> records() const;

    // Undoes the newest change, or `id` and every later change of the same aircraft, newest
    // first. Refuses, changing nothing, when aircraft.cfg no longer reads as the newest of them
    // left it, or a record is incomplete.
    UndoResult undo(std::optional<std::uint64_t> id = std::nullopt);

    // Writes the record's description (used by PendingChange).
    void write(const ChangeRecord& record) const;
    // Drops the oldest whole records beyond the limits; the newest record always stays.
    void prune() const;

private:
    std::string startupFolder_;
    HistoryLimits limits_;
};

// "Undo <action> of <livery> (<product>)?"
std::string undoQuestion(const ChangeRecord& record);
// "<action> of <livery> (<product>)"
std::string changeDescription(const ChangeRecord& record);

// The history that installation, removal and repair record their changes in. None unless a
// front end sets one (the window and hangarix-cli set the start-up folder's), so the procedures
// on their own, their tests and the benchmarks keep no history.
void setActiveHistory(History* history);
History* activeHistory();
// History::begin on the active history, or a change that records nothing.
PendingChange beginChange(ChangeAction action, const std::string& product,
                          const std::string& livery, const std::string& configPath);

} // namespace hx
