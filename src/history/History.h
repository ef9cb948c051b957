#pragma once
// The history of the changes the tool makes to an aircraft, kept in the working folder
// "history" so that each change can be undone: before aircraft.cfg is replaced its previous
// bytes are kept, a removed livery's texture folder is moved in instead of being deleted, and
// the files an installation copied are listed. One folder per change, named by its id:
//   history/<id>/change.txt     what, when, where, the file's hash after the change
//   history/<id>/aircraft.cfg   the file as it was before
//   history/<id>/texture        the texture folder a removal took away
// Records are written before anything in the simulator is touched and say what is about to
// happen (the hash aircraft.cfg will have, where textures go); a record that cannot be written
// stops the change. A record a killed process left unfinished is rolled back, or completed where
// aircraft.cfg already reads as planned, before the next change (History::recover). Every record
// file is replaced atomically. The history keeps the newest records within a count and a size.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hx {

inline constexpr const char* kHistoryFolder = "history";

enum class ChangeAction { Installation, Removal, Repair };

// Where a change stands: begun (the record says what is planned), done, or being undone.
enum class ChangeState { Begun, Done, Undoing };

// "installation", "removal", "repair".
const char* changeActionName(ChangeAction action);

struct ChangeRecord {
    std::uint64_t id = 0;
    std::string time; // UTC, "YYYY-MM-DD HH:MM:SS"
    ChangeAction action = ChangeAction::Installation;
    std::string product;
    std::string livery;
    std::string configPath; // the aircraft.cfg that was changed
    ChangeState state = ChangeState::Done;
    std::string savedHash;      // of the copy of aircraft.cfg the record keeps
    std::string plannedHash;    // of aircraft.cfg as the change will leave it
    std::string hashAfter;      // of that file after the change; empty until the change ends
    std::string textureFolder;  // removal: where the moved folder came from; installation:
                                // where the files were copied to
    bool textureMoved = false;  // removal: the folder lies in the record
    bool folderCreated = false; // installation: the change created textureFolder
    std::vector<std::string> copiedFiles;   // installation: the files it copied, full paths
    std::vector<std::uint64_t> copiedSizes; // their sizes, in the same order
    std::string staging; // installation: the folder beside the target the files are copied into
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

    // Installation: the files are copied into `staging`, then placed in `folder` (which the
    // change creates when `created`). Rewrites the record; throws IoError when it cannot.
    void copyingInto(const std::string& folder, const std::string& staging, bool created);
    // Installation: the files about to be placed in the texture folder, before they are.
    void placing(const std::vector<std::string>& files, const std::vector<std::uint64_t>& sizes);
    // Removal: moves the texture folder into the record instead of deleting it. Returns false
    // (and moves nothing) when there is no history or the move failed (errno, or the system's
    // last error, tells why).
    bool moveTextureFolder(const std::string& folder);
    // Removal: names the texture folder in the record before aircraft.cfg is written, so that a
    // change killed in between can be completed. Throws IoError when the record cannot be written.
    void removingTextureFolder(const std::string& folder);
    // The change was taken back by its procedure (a failed step): the record goes.
    void rolledBack();
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

    // Starts a record: keeps the current bytes of `configPath` and the hash of `plannedText`,
    // what the change will write there. Throws IoError when the record cannot be written; then
    // nothing was kept. The caller holds the change's lock (ChangeLock).
    PendingChange begin(ChangeAction action, const std::string& product, const std::string& livery,
                        const std::string& configPath, const std::string& plannedText);

    // Rolls back, or completes, the changes a killed process left unfinished, and sets aside
    // records that cannot be read or trusted (renamed <id>.damaged). Returns one line per record
    // it handled, for the user. The caller holds the history's lock.
    // `heldAircraft`: the aircraft folder whose lock the caller holds; the records of other
    // aircraft are recovered only when their lock is free.
    std::vector<std::string> recover(const std::string& heldAircraft = {});

    // Every readable record, newest first.
    std::vector<ChangeRecord> records() const;
    // The record `id`; throws Error when it cannot be read or is not whole.
    ChangeRecord readRecord(std::uint64_t id) const;
    // Undoes one change whose checks passed (or completes an undo a killed process began): the
    // record first says so, then the folder comes back, aircraft.cfg gets the kept bytes, the
    // copied files go, and the record goes last. Throws IoError when a step fails.
    void undoRecord(ChangeRecord record) const;

    // Undoes the newest change, or `id` and every later change of the same aircraft, newest
    // first. Refuses, changing nothing, when aircraft.cfg no longer reads as the newest of them
    // left it, or a record is incomplete.
    UndoResult undo(std::optional<std::uint64_t> id = std::nullopt);

    // Writes the record's description (used by PendingChange).
    void write(const ChangeRecord& record) const;
    // The id the next record takes: above every entry of the history folder, readable or not.
    std::uint64_t nextId() const;
    // Drops the oldest whole records beyond the limits; the newest record always stays.
    void prune() const;

private:
    UndoResult undoLocked(std::optional<std::uint64_t> id);

    std::string startupFolder_;
    HistoryLimits limits_;
};

// "Undo <action> of <livery> (<product>)?"
std::string undoQuestion(const ChangeRecord& record);
// "<action> of <livery> (<product>)"
std::string changeDescription(const ChangeRecord& record);

// History::begin on `history`, or, without one, a change that records nothing. Installation,
// removal and repair are handed the history they record in (the front ends hand over the
// start-up folder's); called without one, as by the benchmarks, they keep no history.
PendingChange beginChange(History* history, ChangeAction action, const std::string& product,
                          const std::string& livery, const std::string& configPath,
                          const std::string& plannedText);

// PendingChange::finish for a change that is made already: a record that cannot be completed
// does not stop it. The notice says so; the next change's recovery completes the record, as
// aircraft.cfg reads as the record planned.
void finishChange(PendingChange& change);

// Shared by the history's files: the folder part of `path` (up to its last separator, empty when
// it has none), and the removal of a whole tree, whatever fails in it.
std::string parentFolderOf(const std::string& path);
void removeTree(const std::string& folder);

// Whether the paths of a record lie where its change could have put them: the texture folder
// and the staging folder directly inside the aircraft's folder (that of aircraft.cfg), each
// copied file directly inside the texture folder. A record that fails this is not applied.
bool recordPathsAreSafe(const ChangeRecord& record);

} // namespace hx
