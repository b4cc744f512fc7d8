#include "config/EepromMap.h"

#include "config/ByteCodec.h"

namespace config {

void StoreOutputRecord(uint8_t* destination, const OutputRecord& record) {
    StoreFloatLE(destination + OutputRecordLowerOffset, record.lower);
    StoreFloatLE(destination + OutputRecordHigherOffset, record.higher);
    destination[OutputRecordModeOffset] = record.mode;
}

OutputRecord LoadOutputRecord(const uint8_t* source) {
    return OutputRecord{LoadFloatLE(source + OutputRecordLowerOffset),
                        LoadFloatLE(source + OutputRecordHigherOffset),
                        source[OutputRecordModeOffset]};
}

bool IsErasedSpecificGravity(const uint8_t* atSpecificGravity) {
    return atSpecificGravity[0] == 0xFF && atSpecificGravity[1] == 0xFF;
}

}  // namespace config
