// The plant database on PostgreSQL through libpq: every bench sends its records to one table,
// each record once (by its uid); a changed tag or note replaces the stored one.
#pragma once

#include <memory>
#include <string>

#include "history/PlantSink.h"

namespace history {

// Connects to url (a libpq connection URI) and makes sure the table is there; nothing and why in error.
std::unique_ptr<PlantSink> ConnectPlantDatabase(const std::string& url, std::string& error);

}  // namespace history
