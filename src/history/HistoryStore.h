// The local history: one SQLite file per user, written by the window and the tool alike (WAL
// journal, one transaction per record, a busy time-out, so neither loses a record when both
// write). A file that is not a history of ours is reported and never touched: nothing here
// replaces, truncates or "repairs" it. Errors come back as text; nothing is thrown.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/Record.h"

struct sqlite3;

namespace history {

// The schema version this program writes; older files are migrated when opened.
constexpr int SchemaVersion = 2;
// Marks the file as a history of ours (PRAGMA application_id).
constexpr int32_t ApplicationId = 0x4B443434;  // "KD44"

struct Filter {
    std::optional<uint16_t> serial;
    std::optional<int64_t> sinceUtcMs;
    size_t limit = 0;  // 0: all
};

class HistoryStore {
public:
    // $XDG_DATA_HOME/kd4410/history.sqlite (~/.local/share/... when unset); "" when no home is known.
    static std::string DefaultPath();
    // False in a build without SQLite: then nothing is kept, and recording is silently left out.
    static bool KeptByThisBuild();

    // Opens the history at path, creating a missing file (and its folder) with the current
    // schema and migrating an older one. Nothing (and the reason in error) when it cannot be used.
    static std::unique_ptr<HistoryStore> Open(const std::string& path, std::string& error);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Appends the record in one transaction and sets its id; "" or the reason it was not kept.
    std::string Append(Record& record);
    // Appends all of them in one transaction (all or none).
    std::string AppendAll(std::vector<Record>& records);
    // Records matching filter, newest first.
    std::string Query(const Filter& filter, std::vector<Record>& records);
    std::string SetTagAndNote(int64_t id, const std::string& tag, const std::string& note);
    // Records not yet in the plant database, oldest first, and marking them sent.
    std::string Unsent(size_t limit, std::vector<Record>& records);
    std::string MarkSent(const std::vector<int64_t>& ids);

    const std::string& path() const { return path_; }

private:
    HistoryStore(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    std::string Migrate();
    std::string Select(const std::string& where, const std::vector<int64_t>& arguments, const std::string& order,
                       std::vector<Record>& records);

    sqlite3* db_;
    std::string path_;
};

}  // namespace history
