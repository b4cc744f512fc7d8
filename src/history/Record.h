// One commissioning record: what one operation did to one transmitter, from which program, by
// whom, with the configuration as found and as left. Plain data shared by every front end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/Transfer.h"

namespace history {

enum class Operation { Read, Write, ZeroCorrection };
enum class Result { Done, Verified, Failed };

// The names stored in the databases and shown by the tool.
const char* OperationName(Operation operation);
const char* ResultName(Result result);
std::optional<Operation> OperationFromName(const std::string& name);
std::optional<Result> ResultFromName(const std::string& name);

struct Record {
    int64_t id = 0;          // row in the local history; 0 until stored
    std::string uid;         // unique over every bench, so the plant database takes each record once
    int64_t timeUtcMs = 0;   // milliseconds since 1970-01-01 UTC
    int32_t utcOffsetMinutes = 0;  // the local time's offset at that moment
    std::string user, host, program, version;

    std::optional<uint16_t> serial;  // unknown when the transmitter could not be reached
    uint32_t usbIndex = 0;
    std::string tag, note;

    Operation operation = Operation::Read;
    Result result = Result::Done;
    std::string failedStep;  // when result is Failed: where it stopped

    std::optional<config::DeviceConfiguration> asFound;
    std::optional<int64_t> asFoundTimeUtcMs;  // when the as-found was read, if earlier than the record
    std::optional<config::DeviceConfiguration> asLeft;
    std::optional<float> zeroOffsetBefore, zeroOffsetAfter;  // Pa
    std::optional<float> zeroError;                          // Pa: the mean of the two readings
    std::optional<float> liveValue;                          // Pa

    std::string fileName, fileSha256;  // a write from a configuration file
};

}  // namespace history
