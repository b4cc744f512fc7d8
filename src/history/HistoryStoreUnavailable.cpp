// The history for a build without SQLite: nothing is kept. Recording leaves it out silently (a
// warning at every operation would bury the tool's own messages); asking for the history says why.
#include "history/HistoryStore.h"

#include "platform/Folders.h"

namespace history {
namespace {

constexpr const char* NotInThisBuild = "this build keeps no local history (built without SQLite)";

}  // namespace

std::string HistoryStore::DefaultPath() {
    const std::string folder = platform::DataFolder();
    return folder.empty() ? std::string() : folder + "/kd4410/history.sqlite";
}

bool HistoryStore::KeptByThisBuild() { return false; }

std::unique_ptr<HistoryStore> HistoryStore::Open(const std::string&, std::string& error) {
    error = NotInThisBuild;
    return nullptr;
}

// Never reached: no store is ever opened.
HistoryStore::~HistoryStore() = default;
std::string HistoryStore::Append(Record&) { return NotInThisBuild; }
std::string HistoryStore::AppendAll(std::vector<Record>&) { return NotInThisBuild; }
std::string HistoryStore::Query(const Filter&, std::vector<Record>&) { return NotInThisBuild; }
std::string HistoryStore::SetTagAndNote(int64_t, const std::string&, const std::string&) { return NotInThisBuild; }
std::string HistoryStore::Unsent(size_t, std::vector<Record>&) { return NotInThisBuild; }
std::string HistoryStore::MarkSent(const std::vector<int64_t>&) { return NotInThisBuild; }

}  // namespace history
