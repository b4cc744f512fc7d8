#include "history/Record.h"

namespace history {
namespace {
constexpr const char* OperationNames[] = {"read", "write", "zero"};
constexpr const char* ResultNames[] = {"done", "verified", "failed"};
}  // namespace

const char* OperationName(Operation operation) { return OperationNames[static_cast<int>(operation)]; }
const char* ResultName(Result result) { return ResultNames[static_cast<int>(result)]; }

std::optional<Operation> OperationFromName(const std::string& name) {
    for (int i = 0; i < 3; ++i)
        if (name == OperationNames[i]) return static_cast<Operation>(i);
    return std::nullopt;
}

std::optional<Result> ResultFromName(const std::string& name) {
    for (int i = 0; i < 3; ++i)
        if (name == ResultNames[i]) return static_cast<Result>(i);
    return std::nullopt;
}

}  // namespace history
