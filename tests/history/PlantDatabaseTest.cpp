// The plant database against a real PostgreSQL server started by this program: records sent
// after the local file took them, a server that is down, and catching up afterwards, from the
// recorder and from kd4410ctl.
#include <gtest/gtest.h>

#include <libpq-fe.h>

#include <cmath>

#include "ctl/ToolRunner.h"
#include "history/PlantDatabase.h"
#include "history/Recorder.h"
#include "support/PostgresServer.h"
#include "support/TempFolder.h"

namespace history {
namespace {

using testsupport::PostgresServer;
using testsupport::TempFolder;

PostgresServer& Server() {
    static PostgresServer server;  // one for the whole program; stopped at its end
    return server;
}

// A fresh database for one test.
std::string Database(const std::string& name) {
    PGconn* connection = PQconnectdb(Server().Url("postgres").c_str());
    EXPECT_EQ(PQstatus(connection), CONNECTION_OK) << PQerrorMessage(connection);
    PQclear(PQexec(connection, ("DROP DATABASE IF EXISTS " + name).c_str()));
    PGresult* result = PQexec(connection, ("CREATE DATABASE " + name).c_str());
    EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
    PQclear(result);
    PQfinish(connection);
    return Server().Url(name);
}

std::vector<Record> PlantRecords(const std::string& url, const Filter& filter = {}) {
    std::string error;
    auto plant = ConnectPlantDatabase(url, error);
    EXPECT_TRUE(plant) << error;
    std::vector<Record> records;
    if (plant) {
        EXPECT_EQ(plant->Query(filter, records), "");
    }
    return records;
}

Record WriteRecord(uint16_t serial) {
    Record r;
    r.serial = serial;
    r.operation = Operation::Write;
    r.result = Result::Verified;
    r.tag = "PT-101";
    config::DeviceConfiguration found;
    found.nominalRange = 250000;
    found.specificGravity = 1000;
    found.outputs[0] = {20000, 40000, 1};
    config::DeviceConfiguration left = found;
    left.outputs[0].lower = 25000.5f;
    left.outputs[3].higher = std::nanf("");
    r.asFound = found;
    r.asLeft = left;
    r.zeroOffsetBefore = 1.5f;
    r.fileName = "a.cfg";
    r.fileSha256 = std::string(64, 'a');
    return r;
}

class PlantDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Server().unavailable().empty()) GTEST_SKIP() << Server().unavailable();
    }
    TempFolder folder;
};

TEST_F(PlantDatabase, TakesEachRecordOnceWithEveryFieldAndItsNewestTag) {
    const std::string url = Database("round_trip");
    Recorder recorder("kd4410", "23.0", folder / "history.sqlite", url, ConnectPlantDatabase);
    Record first = WriteRecord(12345);
    ASSERT_TRUE(recorder.Add(first).none());
    Record second = WriteRecord(12346);
    second.result = Result::Failed;
    second.failedStep = "the write: specific gravity and outputs 1-4 not written";
    second.asLeft.reset();
    ASSERT_TRUE(recorder.Add(second).none());

    std::vector<Record> records = PlantRecords(url, {12345, std::nullopt, 0});
    ASSERT_EQ(records.size(), 1u);
    const Record& r = records[0];
    EXPECT_EQ(r.uid, first.uid);
    EXPECT_EQ(r.timeUtcMs, first.timeUtcMs);
    EXPECT_EQ(r.user, first.user);
    EXPECT_EQ(r.host, first.host);
    EXPECT_EQ(r.program, "kd4410");
    EXPECT_EQ(r.tag, "PT-101");
    EXPECT_EQ(r.result, Result::Verified);
    ASSERT_TRUE(r.asFound && r.asLeft);
    EXPECT_EQ(r.asFound->outputs[0].lower, 20000.0f);
    EXPECT_EQ(r.asLeft->outputs[0].lower, 25000.5f);
    EXPECT_TRUE(std::isnan(r.asLeft->outputs[3].higher));
    EXPECT_EQ(r.zeroOffsetBefore, 1.5f);
    EXPECT_FALSE(r.zeroOffsetAfter);
    EXPECT_EQ(r.fileSha256, first.fileSha256);

    records = PlantRecords(url);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].failedStep, second.failedStep);
    EXPECT_FALSE(records[0].asLeft);

    // A tag given afterwards reaches the plant database too, and the record stays one.
    std::string error;
    ASSERT_EQ(recorder.Store(error)->SetTagAndNote(first.id, "PT-202", "moved"), "");
    size_t sent = 0;
    EXPECT_TRUE(recorder.Sync(&sent).none());
    EXPECT_EQ(sent, 1u);
    records = PlantRecords(url, {12345, std::nullopt, 0});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].tag, "PT-202");
    EXPECT_EQ(records[0].note, "moved");
}

TEST_F(PlantDatabase, ABenchWhoseServerIsDownLosesNothingAndCatchesUp) {
    const std::string url = Database("server_down");
    Recorder recorder("kd4410", "23.0", folder / "history.sqlite", url, ConnectPlantDatabase);
    Record before = WriteRecord(1);
    ASSERT_TRUE(recorder.Add(before).none());

    ASSERT_TRUE(Server().Stop());
    Record whileDown[2] = {WriteRecord(2), WriteRecord(3)};
    for (Record& r : whileDown) {
        const Problems problems = recorder.Add(r);
        EXPECT_EQ(problems.local, "");
        EXPECT_NE(problems.plant.find("stay in the local history"), std::string::npos) << problems.plant;
    }
    std::string error;
    std::vector<Record> local;
    ASSERT_EQ(recorder.Store(error)->Query({}, local), "");
    EXPECT_EQ(local.size(), 3u);
    size_t sent = 0;
    EXPECT_NE(recorder.Sync(&sent).plant, "");
    EXPECT_EQ(sent, 0u);

    ASSERT_TRUE(Server().Start());
    EXPECT_TRUE(recorder.Sync(&sent).none());
    EXPECT_EQ(sent, 2u);
    EXPECT_EQ(PlantRecords(url).size(), 3u);
    EXPECT_TRUE(recorder.Sync(&sent).none());
    EXPECT_EQ(sent, 0u);
}

// kd4410ctl with --database: its write reaches the plant database; with the server down the
// write still succeeds, the problem goes to stderr, and history --sync sends it later.
TEST_F(PlantDatabase, TheToolRecordsIntoThePlantDatabaseAndSyncsLater) {
    const std::string url = Database("tool");
    const std::map<std::string, std::string> env = {{"KD4410_SIM_EEPROM", folder / "eeprom.bin"},
                                                    {"LD_LIBRARY_PATH", ""},
                                                    {"XDG_STATE_HOME", folder / "state"},
                                                    {"XDG_DATA_HOME", folder / "data"}};
    const auto tool = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "--simulator");
        return testsupport::RunProgram(KD4410CTL, args, env, folder.path().string());
    };
    testsupport::Outcome o = tool({"read", "-o", "a.cfg"});
    ASSERT_EQ(o.exit, 0) << o.err;
    o = tool({"--database", url, "--tag", "PT-101", "write", "a.cfg"});
    ASSERT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.err, "");
    std::vector<Record> records = PlantRecords(url);
    ASSERT_EQ(records.size(), 2u);  // the read's record went along with the write's
    EXPECT_EQ(records[0].operation, Operation::Write);
    EXPECT_EQ(records[0].tag, "PT-101");
    EXPECT_EQ(records[0].result, Result::Verified);

    ASSERT_TRUE(Server().Stop());
    o = tool({"--database", url, "zero", "--yes"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.err.find("kd4410ctl: history: "), std::string::npos) << o.err;
    ASSERT_TRUE(Server().Start());
    EXPECT_EQ(PlantRecords(url).size(), 2u);
    o = tool({"--database", url, "history", "--sync"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.out, "1 records sent to the plant database\n");
    records = PlantRecords(url);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].operation, Operation::ZeroCorrection);
    o = tool({"--database", url, "--serial", "12345", "history"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("zero  verified"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace history
