// A record as JSON: the tool's --json, the configurations kept in the databases' columns, and
// the times as ISO 8601 text with the local offset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "history/Record.h"

namespace history {

nlohmann::json ConfigurationToJson(const config::DeviceConfiguration& configuration);
// Nothing when the JSON does not hold a configuration.
std::optional<config::DeviceConfiguration> ConfigurationFromJson(const nlohmann::json& json);

nlohmann::json RecordToJson(const Record& record);

// "2026-12-11T14:33:06.123+01:00": the UTC moment shown in local time with that offset.
std::string IsoTime(int64_t utcMs, int32_t offsetMinutes);
// "2026-12-11 14:33:06": the same, shorter, for tables and reports.
std::string ShortTime(int64_t utcMs, int32_t offsetMinutes);
// A date "2026-12-11" (start of that day in local time) or a time "2026-12-11T14:00[:ss][Z|±hh:mm]";
// nothing when the text is neither.
std::optional<int64_t> ParseTime(const std::string& text);

struct Now {
    int64_t utcMs = 0;
    int32_t offsetMinutes = 0;
};
Now CurrentTime();

}  // namespace history
