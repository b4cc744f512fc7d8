// What both front ends call to keep a record: stamps it (time, user, host, program), keeps it
// in the local history first, then sends whatever the plant database still lacks. Problems
// come back as text for the caller to show its way; the operation itself is never affected.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "history/HistoryStore.h"
#include "history/PlantSink.h"
#include "history/Record.h"

namespace history {

struct Problems {
    std::string local;  // the record is not in the local history
    std::string plant;  // the plant database has not taken it (yet): --sync later
    bool none() const { return local.empty() && plant.empty(); }
    std::string Text() const;  // one line of both
};

class Recorder {
public:
    using PlantOpener = std::function<std::unique_ptr<PlantSink>(const std::string& url, std::string& error)>;

    // localPath: the history file; plantUrl: "" for none.
    Recorder(std::string program, std::string version, std::string localPath = HistoryStore::DefaultPath(),
             std::string plantUrl = {}, PlantOpener opener = OpenPlantDatabase);
    ~Recorder();

    // Fills uid, time, user, host, program and version, keeps the record locally, then sends.
    Problems Add(Record& record);
    // Sends what the plant database lacks; sent counts the records it took.
    Problems Sync(size_t* sent = nullptr);
    // The local history, opened on first use and again after a failure; nothing and why in error.
    HistoryStore* Store(std::string& error);
    void Stamp(Record& record) const;

    const std::string& plantUrl() const { return plantUrl_; }

private:
    std::string program_, version_, localPath_, plantUrl_;
    PlantOpener opener_;
    std::string user_, host_;  // looked up once
    std::unique_ptr<HistoryStore> store_;
    std::unique_ptr<PlantSink> plant_;
};

// The login name of this process's user ("" when unknown) and the host's name.
std::string LoginName();
std::string HostName();

}  // namespace history
