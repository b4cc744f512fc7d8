#include "history/HistoryStore.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include "history/RecordJson.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Sleep.h"

namespace history {
namespace {

constexpr int JournalRetryMs = 10;
constexpr int BusyTimeoutMs = 10000;

// Each step takes the schema from the version before it to its own (step i gives version i + 1).
const char* const Migrations[] = {
    // 1: the records, found by transmitter and time.
    "CREATE TABLE records ("
    " id INTEGER PRIMARY KEY, uid TEXT NOT NULL UNIQUE,"
    " time_utc_ms INTEGER NOT NULL, utc_offset_min INTEGER NOT NULL,"
    " user TEXT NOT NULL, host TEXT NOT NULL, program TEXT NOT NULL, version TEXT NOT NULL,"
    " serial INTEGER, usb_index INTEGER NOT NULL, tag TEXT NOT NULL, note TEXT NOT NULL,"
    " operation TEXT NOT NULL, result TEXT NOT NULL, failed_step TEXT NOT NULL,"
    " as_found TEXT, as_found_time_utc_ms INTEGER, as_left TEXT,"
    " zero_offset_before REAL, zero_offset_after REAL, zero_error REAL, live_value REAL,"
    " file_name TEXT NOT NULL, file_sha256 TEXT NOT NULL);"
    "CREATE INDEX records_serial_time ON records(serial, time_utc_ms);",
    // 2: what the plant database has taken; the time alone for --since without a serial.
    "ALTER TABLE records ADD COLUMN plant_sent INTEGER NOT NULL DEFAULT 0;"
    "CREATE INDEX records_unsent ON records(id) WHERE plant_sent = 0;"
    "CREATE INDEX records_time ON records(time_utc_ms);",
};
static_assert(std::size(Migrations) == SchemaVersion);

const char* const Columns =
    "id, uid, time_utc_ms, utc_offset_min, user, host, program, version, serial, usb_index, tag, note,"
    " operation, result, failed_step, as_found, as_found_time_utc_ms, as_left, zero_offset_before,"
    " zero_offset_after, zero_error, live_value, file_name, file_sha256";

std::string Message(sqlite3* db, const std::string& what) {
    return what + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

// A prepared statement, finalized on every path.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return statement_ != nullptr; }
    sqlite3_stmt* get() const { return statement_; }

    void Bind(int at, const std::string& text) { sqlite3_bind_text(statement_, at, text.data(), int(text.size()), SQLITE_TRANSIENT); }
    void Bind(int at, int64_t value) { sqlite3_bind_int64(statement_, at, value); }
    template <typename T>
    void BindOptional(int at, const std::optional<T>& value) {
        if (!value) sqlite3_bind_null(statement_, at);
        else if constexpr (std::is_floating_point_v<T>) sqlite3_bind_double(statement_, at, *value);
        else sqlite3_bind_int64(statement_, at, static_cast<int64_t>(*value));
    }
    void BindJson(int at, const std::optional<config::DeviceConfiguration>& c) {
        if (c) Bind(at, ConfigurationToJson(*c).dump());
        else sqlite3_bind_null(statement_, at);
    }

    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(statement_, column);
        return text ? reinterpret_cast<const char*>(text) : "";
    }
    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    std::optional<float> Real(int column) const {
        if (IsNull(column)) return std::nullopt;
        return static_cast<float>(sqlite3_column_double(statement_, column));
    }
    std::optional<config::DeviceConfiguration> Configuration(int column) const {
        if (IsNull(column)) return std::nullopt;
        return ConfigurationFromJson(nlohmann::json::parse(Text(column), nullptr, false));
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

std::string Execute(sqlite3* db, const char* sql, const std::string& what) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
    std::string error = what + ": " + (message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return error;
}

std::optional<int64_t> PragmaValue(sqlite3* db, const char* pragma) {
    Statement s(db, pragma);
    if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
    return s.Integer(0);
}

// A write transaction taken at once, so that two writers wait for each other in the busy
// handler instead of failing; rolled back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : db_(db) { error_ = Execute(db, "BEGIN IMMEDIATE", "cannot start writing"); }
    ~WriteTransaction() {
        if (error_.empty() && !committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    const std::string& error() const { return error_; }
    std::string Commit() {
        std::string e = Execute(db_, "COMMIT", "cannot finish writing");
        committed_ = e.empty();
        return e;
    }

private:
    sqlite3* db_;
    std::string error_;
    bool committed_ = false;
};

}  // namespace

std::string HistoryStore::DefaultPath() {
    const std::string folder = platform::DataFolder();
    return folder.empty() ? std::string() : folder + "/kd4410/history.sqlite";
}

bool HistoryStore::KeptByThisBuild() { return true; }

std::unique_ptr<HistoryStore> HistoryStore::Open(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "the history has no place: neither XDG_DATA_HOME nor a home folder is known";
        return nullptr;
    }
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(platform::PathFromUtf8(path), statusError);
    if (status.type() != std::filesystem::file_type::not_found && status.type() != std::filesystem::file_type::none) {
        if (status.type() != std::filesystem::file_type::regular) {
            error = path + " is not a regular file; the history is not kept";
            return nullptr;
        }
    } else if (const std::string folder = platform::FolderOf(path);
               !folder.empty() && !platform::CreateFolders(folder)) {
        error = "cannot create the folder of " + path;
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<HistoryStore> store(new HistoryStore(db, path));
    if (opened != SQLITE_OK) {
        error = Message(db, "cannot open the history " + path);
        return nullptr;
    }
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // Reading the header first: a file that is not a database fails here, before anything is written.
    // In one read transaction, so that the three agree: another program creating the history at
    // the same moment must not be seen half way (its tables, but not yet its mark).
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const auto application = PragmaValue(db, "PRAGMA application_id");
    const auto version = PragmaValue(db, "PRAGMA user_version");
    const auto tables = PragmaValue(db, "SELECT count(*) FROM sqlite_schema");
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (!application || !version || !tables) {
        error = Message(db, "the history " + path + " cannot be read; it is left as it is");
        return nullptr;
    }
    if ((*application != 0 && *application != ApplicationId) || (*application == 0 && *tables != 0)) {
        error = path + " is an SQLite database of another program; it is left as it is";
        return nullptr;
    }
    if (*version > SchemaVersion) {
        error = "the history " + path + " was written by a newer version (schema " + std::to_string(*version) +
                "); it is left as it is";
        return nullptr;
    }
    // Switching a new file to the write-ahead journal needs it alone for a moment. When another
    // program does the same at once, SQLite answers "locked" at once instead of waiting (waiting
    // could deadlock), so the switch is tried again for as long as the busy time-out allows.
    for (int waitedMs = 0;; waitedMs += JournalRetryMs) {
        std::string e = Execute(db, "PRAGMA journal_mode=WAL", "cannot use the write-ahead journal");
        if (e.empty()) break;
        if ((sqlite3_errcode(db) & 0xFF) != SQLITE_BUSY || waitedMs >= BusyTimeoutMs) {
            error = path + ": " + e;
            return nullptr;
        }
        platform::Sleep(JournalRetryMs);
    }
    // A committed record is on the disk, not only in the page cache.
    Execute(db, "PRAGMA synchronous=FULL", "");
    if (std::string e = store->Migrate(); !e.empty()) {
        error = path + ": " + e;
        return nullptr;
    }
    return store;
}

HistoryStore::~HistoryStore() { sqlite3_close_v2(db_); }

std::string HistoryStore::Migrate() {
    if (PragmaValue(db_, "PRAGMA user_version").value_or(-1) == SchemaVersion) return {};
    WriteTransaction transaction(db_);
    if (!transaction.error().empty()) return transaction.error();
    // Another program may have migrated it while this one waited.
    const auto version = PragmaValue(db_, "PRAGMA user_version");
    if (!version) return Message(db_, "cannot read the schema version");
    for (int64_t step = *version; step < SchemaVersion; ++step)
        if (std::string e = Execute(db_, Migrations[step], "cannot update the schema to version " + std::to_string(step + 1));
            !e.empty())
            return e;
    const std::string set = "PRAGMA application_id=" + std::to_string(ApplicationId) +
                            "; PRAGMA user_version=" + std::to_string(SchemaVersion);
    if (std::string e = Execute(db_, set.c_str(), "cannot mark the schema version"); !e.empty()) return e;
    return transaction.Commit();
}

std::string HistoryStore::Append(Record& record) {
    std::vector<Record> one{record};
    std::string error = AppendAll(one);
    if (error.empty()) record.id = one[0].id;
    return error;
}

std::string HistoryStore::AppendAll(std::vector<Record>& records) {
    WriteTransaction transaction(db_);
    if (!transaction.error().empty()) return transaction.error();
    Statement s(db_,
                "INSERT INTO records (uid, time_utc_ms, utc_offset_min, user, host, program, version, serial,"
                " usb_index, tag, note, operation, result, failed_step, as_found, as_found_time_utc_ms, as_left,"
                " zero_offset_before, zero_offset_after, zero_error, live_value, file_name, file_sha256)"
                " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    if (!s) return Message(db_, "cannot add the record");
    std::vector<int64_t> ids;
    for (const Record& r : records) {
        sqlite3_reset(s.get());
        s.Bind(1, r.uid);
        s.Bind(2, r.timeUtcMs);
        s.Bind(3, int64_t{r.utcOffsetMinutes});
        s.Bind(4, r.user);
        s.Bind(5, r.host);
        s.Bind(6, r.program);
        s.Bind(7, r.version);
        s.BindOptional(8, r.serial);
        s.Bind(9, int64_t{r.usbIndex});
        s.Bind(10, r.tag);
        s.Bind(11, r.note);
        s.Bind(12, std::string(OperationName(r.operation)));
        s.Bind(13, std::string(ResultName(r.result)));
        s.Bind(14, r.failedStep);
        s.BindJson(15, r.asFound);
        s.BindOptional(16, r.asFoundTimeUtcMs);
        s.BindJson(17, r.asLeft);
        s.BindOptional(18, r.zeroOffsetBefore);
        s.BindOptional(19, r.zeroOffsetAfter);
        s.BindOptional(20, r.zeroError);
        s.BindOptional(21, r.liveValue);
        s.Bind(22, r.fileName);
        s.Bind(23, r.fileSha256);
        if (sqlite3_step(s.get()) != SQLITE_DONE) return Message(db_, "cannot add the record");
        ids.push_back(sqlite3_last_insert_rowid(db_));
    }
    if (std::string e = transaction.Commit(); !e.empty()) return e;
    for (size_t i = 0; i < records.size(); ++i) records[i].id = ids[i];
    return {};
}

std::string HistoryStore::Select(const std::string& where, const std::vector<int64_t>& arguments,
                                 const std::string& order, std::vector<Record>& records) {
    const std::string sql = std::string("SELECT ") + Columns + " FROM records" + where + order;
    Statement s(db_, sql.c_str());
    if (!s) return Message(db_, "cannot read the history");
    for (size_t i = 0; i < arguments.size(); ++i) s.Bind(int(i) + 1, arguments[i]);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(s.get())) == SQLITE_ROW) {
        Record r;
        r.id = s.Integer(0);
        r.uid = s.Text(1);
        r.timeUtcMs = s.Integer(2);
        r.utcOffsetMinutes = static_cast<int32_t>(s.Integer(3));
        r.user = s.Text(4);
        r.host = s.Text(5);
        r.program = s.Text(6);
        r.version = s.Text(7);
        if (!s.IsNull(8)) r.serial = static_cast<uint16_t>(s.Integer(8));
        r.usbIndex = static_cast<uint32_t>(s.Integer(9));
        r.tag = s.Text(10);
        r.note = s.Text(11);
        r.operation = OperationFromName(s.Text(12)).value_or(Operation::Read);
        r.result = ResultFromName(s.Text(13)).value_or(Result::Failed);
        r.failedStep = s.Text(14);
        r.asFound = s.Configuration(15);
        if (!s.IsNull(16)) r.asFoundTimeUtcMs = s.Integer(16);
        r.asLeft = s.Configuration(17);
        r.zeroOffsetBefore = s.Real(18);
        r.zeroOffsetAfter = s.Real(19);
        r.zeroError = s.Real(20);
        r.liveValue = s.Real(21);
        r.fileName = s.Text(22);
        r.fileSha256 = s.Text(23);
        records.push_back(std::move(r));
    }
    return step == SQLITE_DONE ? std::string() : Message(db_, "cannot read the history");
}

std::string HistoryStore::Query(const Filter& filter, std::vector<Record>& records) {
    std::string where;
    std::vector<int64_t> arguments;
    if (filter.serial) {
        where += " WHERE serial = ?";
        arguments.push_back(*filter.serial);
    }
    if (filter.sinceUtcMs) {
        where += where.empty() ? " WHERE " : " AND ";
        where += "time_utc_ms >= ?";
        arguments.push_back(*filter.sinceUtcMs);
    }
    std::string order = " ORDER BY time_utc_ms DESC, id DESC";
    if (filter.limit > 0) order += " LIMIT " + std::to_string(filter.limit);
    return Select(where, arguments, order, records);
}

std::string HistoryStore::SetTagAndNote(int64_t id, const std::string& tag, const std::string& note) {
    WriteTransaction transaction(db_);
    if (!transaction.error().empty()) return transaction.error();
    // The plant database takes the record again with its new tag and note.
    Statement s(db_, "UPDATE records SET tag = ?, note = ?, plant_sent = 0 WHERE id = ?");
    if (!s) return Message(db_, "cannot change the record");
    s.Bind(1, tag);
    s.Bind(2, note);
    s.Bind(3, id);
    if (sqlite3_step(s.get()) != SQLITE_DONE) return Message(db_, "cannot change the record");
    if (sqlite3_changes(db_) != 1) return "there is no record " + std::to_string(id);
    return transaction.Commit();
}

std::string HistoryStore::Unsent(size_t limit, std::vector<Record>& records) {
    return Select(" WHERE plant_sent = 0", {}, " ORDER BY id LIMIT " + std::to_string(limit == 0 ? 1000 : limit),
                  records);
}

std::string HistoryStore::MarkSent(const std::vector<int64_t>& ids) {
    WriteTransaction transaction(db_);
    if (!transaction.error().empty()) return transaction.error();
    Statement s(db_, "UPDATE records SET plant_sent = 1 WHERE id = ?");
    if (!s) return Message(db_, "cannot mark records sent");
    for (int64_t id : ids) {
        sqlite3_reset(s.get());
        s.Bind(1, id);
        if (sqlite3_step(s.get()) != SQLITE_DONE) return Message(db_, "cannot mark records sent");
    }
    return transaction.Commit();
}

}  // namespace history
