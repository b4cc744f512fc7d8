// The history for a build without SQLite: nothing is kept, and every caller is told why once it
// asks, so the operation itself goes on and the operator knows that no record was made.
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
