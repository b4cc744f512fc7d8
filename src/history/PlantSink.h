// The plant database as the recorder sees it: somewhere records are sent after the local file
// has taken them. The PostgreSQL client lives in a module of its own (kd4410-plant.so), loaded
// only when a plant database is named, so that a program without one never loads libpq.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "history/HistoryStore.h"
#include "history/Record.h"

namespace history {

class PlantSink {
public:
    virtual ~PlantSink() = default;
    // Stores each record (again, with its newest tag and note, when it is there already);
    // "" or why not. Either all are stored or none.
    virtual std::string Send(const std::vector<Record>& records) = 0;
    // Records of every bench, newest first.
    virtual std::string Query(const Filter& filter, std::vector<Record>& records) = 0;
};

// The client for url (postgresql://...), from the module beside the executable; nothing and
// the reason in error when the module or the server cannot be had.
std::unique_ptr<PlantSink> OpenPlantDatabase(const std::string& url, std::string& error);

}  // namespace history
