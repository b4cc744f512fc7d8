#include "history/Recorder.h"

#include <cstdlib>
#include <random>

#include "history/RecordJson.h"
#include "platform/Console.h"

namespace history {
namespace {

std::string RandomHex() {
    std::random_device device;
    const uint64_t value = (uint64_t(device()) << 32) ^ device();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

constexpr size_t SyncBatch = 500;

}  // namespace

std::string Problems::Text() const {
    std::string text = local;
    if (!plant.empty()) text += (text.empty() ? "" : "; ") + plant;
    return text;
}

std::string LoginName() { return platform::LoginName(); }

std::string HostName() { return platform::HostName(); }

Recorder::Recorder(std::string program, std::string version, std::string localPath, std::string plantUrl,
                   PlantOpener opener)
    : program_(std::move(program)),
      version_(std::move(version)),
      localPath_(std::move(localPath)),
      plantUrl_(std::move(plantUrl)),
      opener_(std::move(opener)),
      user_(LoginName()),
      host_(HostName()) {}

Recorder::~Recorder() = default;

HistoryStore* Recorder::Store(std::string& error) {
    if (!store_) store_ = HistoryStore::Open(localPath_, error);
    return store_.get();
}

void Recorder::Stamp(Record& record) const {
    const Now now = CurrentTime();
    record.timeUtcMs = now.utcMs;
    record.utcOffsetMinutes = now.offsetMinutes;
    record.user = user_;
    record.host = host_;
    record.program = program_;
    record.version = version_;
    record.uid = record.host + "-" + std::to_string(now.utcMs) + "-" + std::to_string(platform::ProcessId()) + "-" + RandomHex();
}

Problems Recorder::Add(Record& record) {
    Stamp(record);
    Problems problems;
    if (!HistoryStore::KeptByThisBuild()) return problems;
    std::string error;
    HistoryStore* store = Store(error);
    if (store == nullptr) {
        problems.local = "the record was not kept: " + error;
        return problems;
    }
    if (std::string e = store->Append(record); !e.empty()) {
        problems.local = "the record was not kept in " + store->path() + ": " + e;
        store_.reset();  // opened afresh next time: the disk may have room again
        return problems;
    }
    if (!plantUrl_.empty()) problems.plant = Sync().plant;
    return problems;
}

Problems Recorder::Sync(size_t* sent) {
    Problems problems;
    if (sent) *sent = 0;
    if (plantUrl_.empty()) return problems;
    std::string error;
    HistoryStore* store = Store(error);
    if (store == nullptr) {
        problems.local = "the local history cannot be read: " + error;
        return problems;
    }
    for (;;) {
        std::vector<Record> batch;
        if (std::string e = store->Unsent(SyncBatch, batch); !e.empty()) {
            problems.local = e;
            return problems;
        }
        if (batch.empty()) return problems;
        if (!plant_) plant_ = opener_(plantUrl_, error);
        if (!plant_) {
            problems.plant = "the plant database has not taken the records yet (" + error +
                             "); they stay in the local history until it does";
            return problems;
        }
        if (std::string e = plant_->Send(batch); !e.empty()) {
            plant_.reset();
            problems.plant = "the plant database has not taken the records yet (" + e +
                             "); they stay in the local history until it does";
            return problems;
        }
        std::vector<int64_t> ids;
        for (const Record& r : batch) ids.push_back(r.id);
        if (std::string e = store->MarkSent(ids); !e.empty()) {
            problems.local = e;
            return problems;
        }
        if (sent) *sent += batch.size();
        if (batch.size() < SyncBatch) return problems;
    }
}

}  // namespace history
