#include "history/RecordJson.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/LocalTime.h"

namespace history {
namespace {

// Numbers that JSON cannot hold (an erased EEPROM reads as NaN) travel as text.
nlohmann::json FloatJson(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
}

std::optional<float> FloatFrom(const nlohmann::json& json) {
    if (json.is_number()) return json.get<float>();
    if (json == "nan") return std::nanf("");
    if (json == "inf") return INFINITY;
    if (json == "-inf") return -INFINITY;
    return std::nullopt;
}

template <typename T>
void Put(nlohmann::json& j, const char* key, const std::optional<T>& value) {
    if (value) j[key] = FloatJson(*value);
    else j[key] = nullptr;
}

std::tm Broken(int64_t utcMs, int32_t offsetMinutes) {
    const std::time_t shifted = static_cast<std::time_t>(std::floor((utcMs / 1000.0))) + offsetMinutes * 60;
    std::tm tm{};
    platform::ToUtcTime(shifted, tm);
    return tm;
}

}  // namespace

nlohmann::json ConfigurationToJson(const config::DeviceConfiguration& c) {
    nlohmann::json outputs = nlohmann::json::array();
    for (const config::OutputRecord& r : c.outputs)
        outputs.push_back({{"mode", r.mode}, {"lower_pa", FloatJson(r.lower)}, {"higher_pa", FloatJson(r.higher)}});
    return {{"nominal_range_pa", FloatJson(c.nominalRange)},
            {"specific_gravity", FloatJson(c.specificGravity)},
            {"outputs", outputs}};
}

std::optional<config::DeviceConfiguration> ConfigurationFromJson(const nlohmann::json& json) {
    if (!json.is_object() || !json.contains("outputs") || !json["outputs"].is_array() ||
        json["outputs"].size() != config::OutputCount)
        return std::nullopt;
    config::DeviceConfiguration c;
    const auto range = FloatFrom(json.value("nominal_range_pa", nlohmann::json()));
    const auto gravity = FloatFrom(json.value("specific_gravity", nlohmann::json()));
    if (!range || !gravity) return std::nullopt;
    c.nominalRange = *range;
    c.specificGravity = *gravity;
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const nlohmann::json& o = json["outputs"][i];
        if (!o.is_object() || !o.value("mode", nlohmann::json()).is_number_unsigned()) return std::nullopt;
        const auto lower = FloatFrom(o.value("lower_pa", nlohmann::json()));
        const auto higher = FloatFrom(o.value("higher_pa", nlohmann::json()));
        if (!lower || !higher) return std::nullopt;
        c.outputs[i] = {*lower, *higher, static_cast<uint8_t>(o["mode"].get<unsigned>())};
    }
    return c;
}

nlohmann::json RecordToJson(const Record& r) {
    nlohmann::json j = {{"id", r.id},
                        {"uid", r.uid},
                        {"time", IsoTime(r.timeUtcMs, r.utcOffsetMinutes)},
                        {"user", r.user},
                        {"host", r.host},
                        {"program", r.program},
                        {"version", r.version},
                        {"serial", r.serial ? nlohmann::json(*r.serial) : nlohmann::json()},
                        {"usb_index", r.usbIndex},
                        {"tag", r.tag},
                        {"note", r.note},
                        {"operation", OperationName(r.operation)},
                        {"result", ResultName(r.result)},
                        {"failed_step", r.failedStep}};
    j["as_found"] = r.asFound ? ConfigurationToJson(*r.asFound) : nlohmann::json();
    j["as_found_time"] =
        r.asFoundTimeUtcMs ? nlohmann::json(IsoTime(*r.asFoundTimeUtcMs, r.utcOffsetMinutes)) : nlohmann::json();
    j["as_left"] = r.asLeft ? ConfigurationToJson(*r.asLeft) : nlohmann::json();
    Put(j, "zero_offset_before_pa", r.zeroOffsetBefore);
    Put(j, "zero_offset_after_pa", r.zeroOffsetAfter);
    Put(j, "zero_error_pa", r.zeroError);
    Put(j, "live_value_pa", r.liveValue);
    j["file"] = r.fileName;
    j["file_sha256"] = r.fileSha256;
    return j;
}

std::string IsoTime(int64_t utcMs, int32_t offsetMinutes) {
    const std::tm tm = Broken(utcMs, offsetMinutes);
    const int64_t ms = ((utcMs % 1000) + 1000) % 1000;
    const int32_t magnitude = std::abs(offsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms),
                  offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::string ShortTime(int64_t utcMs, int32_t offsetMinutes) {
    const std::tm tm = Broken(utcMs, offsetMinutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::optional<int64_t> ParseTime(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &consumed) != 3 || consumed != 10) return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
    std::string rest = text.substr(10);
    if (!rest.empty()) {
        if (rest[0] != 'T' && rest[0] != ' ') return std::nullopt;
        int n = 0;
        if (std::sscanf(rest.c_str() + 1, "%2d:%2d%n", &h, &mi, &n) != 2) return std::nullopt;
        rest = rest.substr(1 + n);
        if (!rest.empty() && rest[0] == ':') {
            if (std::sscanf(rest.c_str() + 1, "%2d%n", &s, &n) != 1) return std::nullopt;
            rest = rest.substr(1 + n);
        }
        if (h > 23 || mi > 59 || s > 60) return std::nullopt;
    }
    const int64_t local = (platform::DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s) * 1000;
    if (rest == "Z") return local;
    if (rest.size() == 6 && (rest[0] == '+' || rest[0] == '-') && rest[3] == ':') {
        int oh = 0, om = 0;
        if (std::sscanf(rest.c_str() + 1, "%2d:%2d", &oh, &om) != 2) return std::nullopt;
        const int64_t offset = (oh * 60 + om) * 60000LL;
        return rest[0] == '+' ? local - offset : local + offset;
    }
    if (!rest.empty()) return std::nullopt;
    // Local time: mktime knows the offset in force on that day.
    std::tm tm{};
    tm.tm_year = y - 1900; tm.tm_mon = mo - 1; tm.tm_mday = d; tm.tm_hour = h; tm.tm_min = mi; tm.tm_sec = s;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<int64_t>(t) * 1000;
}

Now CurrentTime() {
    const auto now = std::chrono::system_clock::now();
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    platform::LocalTime local;
    platform::ToLocalTime(seconds, local);
    return {ms, static_cast<int32_t>(local.utcOffsetSeconds / 60)};
}

}  // namespace history
