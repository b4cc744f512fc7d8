#include <gtest/gtest.h>

#include <sqlite3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "history/HistoryStore.h"
#include "history/RecordJson.h"
#include "history/Recorder.h"
#include "platform/Sha256.h"
#include "support/TempFolder.h"

namespace history {
namespace {

using testsupport::TempFolder;

config::DeviceConfiguration Configuration(float base) {
    config::DeviceConfiguration c;
    c.nominalRange = 100000;
    c.specificGravity = 998.2f;
    for (size_t i = 0; i < config::OutputCount; ++i)
        c.outputs[i] = {base + float(i) * 100.5f, base + 5000 + float(i), static_cast<uint8_t>(i + 1)};
    return c;
}

Record FullRecord(uint16_t serial, int64_t timeMs) {
    Record r;
    r.uid = "bench-" + std::to_string(serial) + "-" + std::to_string(timeMs);
    r.timeUtcMs = timeMs;
    r.utcOffsetMinutes = 60;
    r.user = "operator";
    r.host = "bench-1";
    r.program = "kd4410ctl";
    r.version = "23.0.0.0";
    r.serial = serial;
    r.usbIndex = 2;
    r.tag = "PT-101";
    r.note = "after repair; \"quoted\"";
    r.operation = Operation::Write;
    r.result = Result::Verified;
    r.asFound = Configuration(1000);
    r.asFoundTimeUtcMs = timeMs - 5000;
    r.asLeft = Configuration(2000);
    r.asLeft->outputs[3].higher = std::nanf("");  // an erased EEPROM reads as NaN
    r.zeroOffsetBefore = 12.5f;
    r.zeroOffsetAfter = -7.25f;
    r.zeroError = 0.1f;
    r.liveValue = 51234.5f;
    r.fileName = "a.cfg";
    r.fileSha256 = platform::Sha256Hex("content");
    return r;
}

std::unique_ptr<HistoryStore> OpenOrFail(const std::string& path) {
    std::string error;
    auto store = HistoryStore::Open(path, error);
    EXPECT_TRUE(store) << error;
    return store;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ExpectSameConfiguration(const std::optional<config::DeviceConfiguration>& a,
                             const std::optional<config::DeviceConfiguration>& b) {
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) return;
    EXPECT_EQ(a->nominalRange, b->nominalRange);
    EXPECT_EQ(a->specificGravity, b->specificGravity);
    for (size_t i = 0; i < config::OutputCount; ++i) {
        EXPECT_EQ(a->outputs[i].mode, b->outputs[i].mode);
        EXPECT_EQ(a->outputs[i].lower, b->outputs[i].lower);
        if (std::isnan(a->outputs[i].higher)) EXPECT_TRUE(std::isnan(b->outputs[i].higher));
        else EXPECT_EQ(a->outputs[i].higher, b->outputs[i].higher);
    }
}

TEST(HistoryStore, KeepsEveryFieldAndListsNewestFirstBySerialAndTime) {
    TempFolder folder;
    const std::string path = folder / "sub/history.sqlite";  // the folder is made
    auto store = OpenOrFail(path);
    ASSERT_TRUE(store);
    Record written = FullRecord(12345, 1'700'000'000'000);
    ASSERT_EQ(store->Append(written), "");
    EXPECT_GT(written.id, 0);
    Record other = FullRecord(12346, 1'700'000'100'000);
    other.serial.reset();  // a transmitter that never answered
    other.result = Result::Failed;
    other.failedStep = "the nominal range and specific gravity";
    other.asLeft.reset();
    ASSERT_EQ(store->Append(other), "");
    Record newer = FullRecord(12345, 1'700'000'200'000);
    newer.operation = Operation::ZeroCorrection;
    ASSERT_EQ(store->Append(newer), "");

    std::vector<Record> all;
    ASSERT_EQ(store->Query({}, all), "");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].uid, newer.uid);
    EXPECT_EQ(all[1].uid, other.uid);
    EXPECT_FALSE(all[1].serial);
    EXPECT_EQ(all[1].failedStep, other.failedStep);
    EXPECT_FALSE(all[1].asLeft);

    std::vector<Record> bySerial;
    ASSERT_EQ(store->Query({12345, std::nullopt, 0}, bySerial), "");
    ASSERT_EQ(bySerial.size(), 2u);
    const Record& read = bySerial[1];
    EXPECT_EQ(read.id, written.id);
    EXPECT_EQ(read.timeUtcMs, written.timeUtcMs);
    EXPECT_EQ(read.utcOffsetMinutes, 60);
    EXPECT_EQ(read.user, "operator");
    EXPECT_EQ(read.host, "bench-1");
    EXPECT_EQ(read.program, "kd4410ctl");
    EXPECT_EQ(read.version, "23.0.0.0");
    EXPECT_EQ(read.usbIndex, 2u);
    EXPECT_EQ(read.tag, "PT-101");
    EXPECT_EQ(read.note, written.note);
    EXPECT_EQ(read.operation, Operation::Write);
    EXPECT_EQ(read.result, Result::Verified);
    ExpectSameConfiguration(read.asFound, written.asFound);
    ExpectSameConfiguration(read.asLeft, written.asLeft);
    EXPECT_EQ(read.asFoundTimeUtcMs, written.asFoundTimeUtcMs);
    EXPECT_EQ(read.zeroOffsetBefore, 12.5f);
    EXPECT_EQ(read.zeroOffsetAfter, -7.25f);
    EXPECT_EQ(read.zeroError, 0.1f);
    EXPECT_EQ(read.liveValue, 51234.5f);
    EXPECT_EQ(read.fileName, "a.cfg");
    EXPECT_EQ(read.fileSha256, written.fileSha256);

    std::vector<Record> since;
    ASSERT_EQ(store->Query({12345, 1'700'000'100'000, 0}, since), "");
    ASSERT_EQ(since.size(), 1u);
    EXPECT_EQ(since[0].uid, newer.uid);

    ASSERT_EQ(store->SetTagAndNote(newer.id, "PT-102", "moved"), "");
    std::vector<Record> latest;
    ASSERT_EQ(store->Query({12345, std::nullopt, 1}, latest), "");
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(latest[0].tag, "PT-102");
    EXPECT_EQ(latest[0].note, "moved");
    EXPECT_NE(store->SetTagAndNote(9999, "x", "y"), "");
}

// The window and the tool may both be first: each must take the new file as a history of ours,
// never as another program's database seen half made, nor fail on the journal's switch.
TEST(HistoryStore, TwoProcessesCreatingTheHistoryAtOnceBothUseIt) {
    TempFolder folder;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const std::string path = folder / ("history-" + std::to_string(round) + ".sqlite");
        pid_t children[2] = {};
        for (pid_t& child : children) {
            std::fflush(nullptr);
            child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                std::string error;
                _exit(HistoryStore::Open(path, error) ? 0 : 2);
            }
        }
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        }
    }
}

TEST(HistoryStore, TwoProcessesAppendingAtOnceLoseNothing) {
    TempFolder folder;
    const std::string path = folder / "history.sqlite";
    pid_t children[2] = {};
    for (int c = 0; c < 2; ++c) {
        std::fflush(nullptr);
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            // Each opens its own connection, the first creating the file as the other opens it.
            std::string error;
            auto store = HistoryStore::Open(path, error);
            if (!store) _exit(2);
            for (int i = 0; i < 500; ++i) {
                Record r = FullRecord(uint16_t(1000 + c), 1'700'000'000'000 + i);
                r.uid = std::to_string(c) + "-" + std::to_string(i);
                if (!store->Append(r).empty()) _exit(3);
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    auto store = OpenOrFail(path);
    ASSERT_TRUE(store);
    std::vector<Record> records;
    ASSERT_EQ(store->Query({}, records), "");
    EXPECT_EQ(records.size(), 1000u);
    std::set<std::string> uids;
    for (const Record& r : records) uids.insert(r.uid);
    EXPECT_EQ(uids.size(), 1000u);
}

TEST(HistoryStore, KillDuringAppendsLeavesAReadableHistory) {
    TempFolder folder;
    const std::string path = folder / "history.sqlite";
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(progress[0]);
        std::string error;
        auto store = HistoryStore::Open(path, error);
        if (!store) _exit(2);
        for (int i = 0;; ++i) {
            Record r = FullRecord(7, 1'700'000'000'000 + i);
            if (!store->Append(r).empty()) _exit(3);
            const char done = 1;
            if (write(progress[1], &done, 1) != 1) _exit(4);
        }
    }
    close(progress[1]);
    // Let it commit some records, then kill it in the middle of the next ones.
    size_t committed = 0;
    char buffer[64];
    while (committed < 50) {
        const ssize_t got = read(progress[0], buffer, sizeof buffer);
        ASSERT_GT(got, 0) << "the appending child ended early";
        committed += static_cast<size_t>(got);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    while (read(progress[0], buffer, sizeof buffer) > 0) ++committed;
    close(progress[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    auto store = OpenOrFail(path);
    ASSERT_TRUE(store);
    std::vector<Record> records;
    ASSERT_EQ(store->Query({}, records), "");
    EXPECT_GE(records.size(), 50u);
    EXPECT_LE(records.size(), committed + 1);  // at most the record in flight beyond those reported
    Record after = FullRecord(7, 1'800'000'000'000);
    EXPECT_EQ(store->Append(after), "");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
}

// Files that are not a history of ours: each is reported and left exactly as it was.
TEST(HistoryStore, AFileThatIsNotAHistoryIsReportedAndLeftByteForByte) {
    TempFolder folder;
    struct Case {
        const char* name;
        std::string content;
        const char* reason;
    };
    std::string otherDatabase;
    {
        const std::string other = folder / "other.sqlite";
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('mine')", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        otherDatabase = Bytes(other);
    }
    std::string truncated;
    {
        const std::string ours = folder / "ours.sqlite";
        auto store = OpenOrFail(ours);
        for (int i = 0; i < 20; ++i) {
            Record r = FullRecord(1, i);
            ASSERT_EQ(store->Append(r), "");
        }
        store.reset();
        truncated = Bytes(ours).substr(0, 1000);  // the header says more pages than there are
        ASSERT_EQ(truncated.substr(0, 15), "SQLite format 3");
    }
    const Case cases[] = {
        {"garbage", std::string(4096, '\x5a') + "not a database", "cannot be read"},
        {"text", "serial,time\n12345,yesterday\n", "cannot be read"},
        {"another program's database", otherDatabase, "another program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / "history.sqlite";
        { std::ofstream(path, std::ios::binary | std::ios::trunc) << c.content; }
        std::string error;
        EXPECT_FALSE(HistoryStore::Open(path, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(Bytes(path), c.content);
        EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));

        // The recorder reports it the same way and still does not touch it.
        Recorder recorder("test", "1", path);
        Record r = FullRecord(2, 0);
        const Problems problems = recorder.Add(r);
        EXPECT_NE(problems.local, "");
        EXPECT_EQ(Bytes(path), c.content);
        std::filesystem::remove(path);
        std::filesystem::remove(path + "-shm");
    }
    {
        // A history cut short opens (its header is sound) but its records cannot all be read: the
        // failure is reported, and the file keeps its bytes.
        const std::string path = folder / "cut.sqlite";
        { std::ofstream(path, std::ios::binary) << truncated; }
        std::string error;
        auto store = HistoryStore::Open(path, error);
        if (store) {
            std::vector<Record> records;
            Record r = FullRecord(3, 0);
            const std::string appended = store->Append(r);
            const std::string queried = store->Query({}, records);
            EXPECT_TRUE(!appended.empty() || !queried.empty());
        }
        store.reset();
        EXPECT_EQ(Bytes(path), truncated);
    }
}

TEST(HistoryStore, AHistoryOfTheFirstSchemaIsMigratedWithItsRecords) {
    TempFolder folder;
    const std::string path = folder / "history.sqlite";
    {
        // The file as the first version wrote it.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const char* v1 =
            "PRAGMA journal_mode=WAL;"
            "CREATE TABLE records ("
            " id INTEGER PRIMARY KEY, uid TEXT NOT NULL UNIQUE,"
            " time_utc_ms INTEGER NOT NULL, utc_offset_min INTEGER NOT NULL,"
            " user TEXT NOT NULL, host TEXT NOT NULL, program TEXT NOT NULL, version TEXT NOT NULL,"
            " serial INTEGER, usb_index INTEGER NOT NULL, tag TEXT NOT NULL, note TEXT NOT NULL,"
            " operation TEXT NOT NULL, result TEXT NOT NULL, failed_step TEXT NOT NULL,"
            " as_found TEXT, as_found_time_utc_ms INTEGER, as_left TEXT,"
            " zero_offset_before REAL, zero_offset_after REAL, zero_error REAL, live_value REAL,"
            " file_name TEXT NOT NULL, file_sha256 TEXT NOT NULL);"
            "CREATE INDEX records_serial_time ON records(serial, time_utc_ms);"
            "PRAGMA application_id=1262761012; PRAGMA user_version=1;"
            "INSERT INTO records VALUES (1, 'old-1', 1600000000000, 120, 'anna', 'bench-0', 'kd4410', '22.0',"
            " 12345, 0, 'PT-7', '', 'zero', 'done', '', NULL, NULL, NULL, 50.0, -50.0, 110.0, NULL, '', '');";
        ASSERT_EQ(sqlite3_exec(db, v1, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    auto store = OpenOrFail(path);
    ASSERT_TRUE(store);
    std::vector<Record> records;
    ASSERT_EQ(store->Query({12345, std::nullopt, 0}, records), "");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].uid, "old-1");
    EXPECT_EQ(records[0].operation, Operation::ZeroCorrection);
    EXPECT_EQ(records[0].zeroOffsetAfter, -50.0f);
    EXPECT_EQ(records[0].tag, "PT-7");
    // The old record has never been in a plant database.
    std::vector<Record> unsent;
    ASSERT_EQ(store->Unsent(10, unsent), "");
    ASSERT_EQ(unsent.size(), 1u);
    ASSERT_EQ(store->MarkSent({unsent[0].id}), "");
    unsent.clear();
    ASSERT_EQ(store->Unsent(10, unsent), "");
    EXPECT_TRUE(unsent.empty());
    Record added = FullRecord(12345, 1'700'000'000'000);
    EXPECT_EQ(store->Append(added), "");

    store.reset();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* version = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &version, nullptr);
    ASSERT_EQ(sqlite3_step(version), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(version, 0), SchemaVersion);
    sqlite3_finalize(version);
    sqlite3_close(db);
}

TEST(HistoryStore, AHistoryOfANewerVersionIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder / "history.sqlite";
    { auto store = OpenOrFail(path); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string before = Bytes(path);
    std::string error;
    EXPECT_FALSE(HistoryStore::Open(path, error));
    EXPECT_NE(error.find("newer version"), std::string::npos) << error;
    EXPECT_EQ(Bytes(path), before);
}

TEST(HistoryStore, LivesInTheUsersDataFolder) {
    testsupport::ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", "/data/of/user");
    EXPECT_EQ(HistoryStore::DefaultPath(), "/data/of/user/kd4410/history.sqlite");
    environment.Set("XDG_DATA_HOME", std::nullopt);
    environment.Set("HOME", "/home/anna");
    EXPECT_EQ(HistoryStore::DefaultPath(), "/home/anna/.local/share/kd4410/history.sqlite");
}

TEST(RecordTime, IsShownWithItsOffsetAndDatesAreRead) {
    EXPECT_EQ(IsoTime(1'700'000'000'123, 60), "2023-11-14T23:13:20.123+01:00");
    EXPECT_EQ(IsoTime(1'700'000'000'000, -330), "2023-11-14T16:43:20.000-05:30");
    EXPECT_EQ(ShortTime(1'700'000'000'000, 0), "2023-11-14 22:13:20");
    EXPECT_EQ(ParseTime("2023-11-14T22:13:20Z"), 1'700'000'000'000);
    EXPECT_EQ(ParseTime("2023-11-14T23:13:20+01:00"), 1'700'000'000'000);
    EXPECT_EQ(ParseTime("2023-11-14T22:13Z"), 1'700'000'000'000 - 20'000);
    EXPECT_TRUE(ParseTime("2023-11-14"));
    for (const char* bad : {"", "yesterday", "2023-13-01", "2023-11-14T25:00Z", "2023-11-14X", "14.11.2023"})
        EXPECT_FALSE(ParseTime(bad)) << bad;
}

}  // namespace
}  // namespace history
