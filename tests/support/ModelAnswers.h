// The transmitter model answering a test's requests: silent after a count of answers, and
// reporting staged live values (Pa) in place of its own signal while any are left.
#pragma once

#include <optional>
#include <vector>

#include "TransmitterModel.h"
#include "config/ByteCodec.h"
#include "device/Frame.h"

namespace testsupport {

inline std::optional<device::Frame> AnswerFromModel(sim::TransmitterModel& model, const device::Frame& request,
                                                    const std::optional<size_t>& silentAfter, size_t& answered,
                                                    std::vector<float>& liveValues) {
    if (silentAfter && answered >= *silentAfter) return std::nullopt;
    auto reply = model.Respond(request);
    if (reply && request[3] == 5 && !liveValues.empty()) {
        config::StoreFloatLE(&(*reply)[7], liveValues.front());
        liveValues.erase(liveValues.begin());
        (*reply)[63] = device::FrameCrc(*reply);
    }
    if (reply) ++answered;
    return reply;
}

}  // namespace testsupport
