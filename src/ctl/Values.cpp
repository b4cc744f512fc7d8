#include "ctl/Values.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "config/CheckedArithmetic.h"
#include "config/OutputMode.h"
#include "config/Units.h"
#include "config/WorkingState.h"
#include "ctl/ToolError.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "platform/Sha256.h"
#include "platform/Text.h"

namespace ctl {
namespace {

// Far more than a configuration file needs; a larger one is not one.
constexpr size_t LargestFile = 64 * 1024;

[[noreturn]] void Invalid(const std::string& path, int line, const std::string& what) {
    throw ToolError(ExitUsage, path + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what);
}

// The value in the unit, with its exact value in Pa when the unit's decimals hide the difference.
std::string ShowBoth(float value, float other, const DisplayUnit& unit) {
    const std::string shown = Show(value, unit);
    return shown == Show(other, unit) ? shown + " (" + ExactText(value) + " Pa)" : shown;
}

}  // namespace

std::vector<std::string> UnitNames() {
    std::vector<std::string> names;
    for (const auto& u : config::PressureUnits) names.push_back(platform::ToUtf8(u.text));
    for (const auto& u : config::LengthUnits) names.push_back(platform::ToUtf8(u.text));
    return names;
}

bool IsUnitName(const std::string& name) {
    for (const std::string& n : UnitNames())
        if (n == name) return true;
    return false;
}

bool IsLengthUnit(const std::string& name) {
    for (const auto& u : config::LengthUnits)
        if (platform::ToUtf8(u.text) == name) return true;
    return false;
}

DisplayUnit MakeUnit(const std::string& name, float specificGravity) {
    for (const auto& u : config::PressureUnits)
        if (platform::ToUtf8(u.text) == name) return {u.factor, u.decimals, name};
    for (const auto& u : config::LengthUnits)
        if (platform::ToUtf8(u.text) == name)
            return {config::LengthFactor(u.numerator, EffectiveGravity(specificGravity)), u.decimals, name};
    throw ToolError(ExitUsage, "unknown unit " + name);
}

std::string Show(float devicePa, const DisplayUnit& unit) {
    if (std::isnan(devicePa)) return "erased";
    return platform::ToUtf8(config::FormatNumber(static_cast<double>(devicePa) * unit.factor, unit.decimals)) + " " +
           unit.text;
}

nlohmann::json ShownNumber(float devicePa, const DisplayUnit& unit) {
    if (std::isnan(devicePa)) return nullptr;
    const std::string text = platform::ToUtf8(
        config::FormatNumber(static_cast<double>(devicePa) * unit.factor, unit.decimals));
    return std::strtod(text.c_str(), nullptr);
}

nlohmann::json JsonNumber(float value) {
    if (!std::isfinite(value)) return nullptr;
    // Through the float's shortest text, so that 1025.3f is written 1025.3, not 1025.300048828125.
    return std::strtod(platform::ShortestText(value).c_str(), nullptr);
}

std::string ModeName(int mode) {
    if (mode >= 0 && mode < config::OutputModeCount) return platform::ToUtf8(config::OutputModeTexts[mode]);
    if (mode == ErasedMode) return "erased";
    return "none (" + std::to_string(mode) + ")";
}

float EffectiveGravity(float deviceGravity) {
    return config::IsValidSpecificGravity(deviceGravity) ? deviceGravity : config::DefaultSpecificGravity;
}

std::string ExactText(float value) { return platform::ShortestText(value); }

files::ConfigFileContent ToFileContent(const config::DeviceConfiguration& c, bool heightType) {
    files::ConfigFileContent content;
    content.pressureType = !heightType;
    content.specificGravityText = platform::Widen(ExactText(EffectiveGravity(c.specificGravity)));
    for (size_t i = 0; i < config::OutputCount; ++i) {
        content.higher[i] = c.outputs[i].higher;
        content.lower[i] = c.outputs[i].lower;
        const int mode = c.outputs[i].mode;
        content.mode[i] = mode < config::OutputModeCount ? mode : -1;  // as the window saves it
    }
    return content;
}

std::vector<std::string> ErasedFields(const config::DeviceConfiguration& c) {
    std::vector<std::string> fields;
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const int k = static_cast<int>(3 * i);
        if (std::isnan(c.outputs[i].lower)) fields.push_back(OutputFieldName(k));
        if (std::isnan(c.outputs[i].higher)) fields.push_back(OutputFieldName(k + 1));
        if (c.outputs[i].mode == ErasedMode) fields.push_back(OutputFieldName(k + 2));
    }
    return fields;
}

ConfigSource ReadConfigSource(const std::string& path) {
    const bool standardInput = path == "-";
    std::FILE* in = standardInput ? stdin : platform::OpenFile(path, "rb");
    if (in == nullptr)
        throw ToolError(ExitUsage, "cannot open " + path + " (" + std::strerror(errno) +
                                       "); check the file name and its permissions");
    // Read to the end in one go: a pipe, /dev/stdin or <(...) can be read only once.
    std::string bytes;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0 && bytes.size() <= LargestFile)
        bytes.append(buffer, n);
    const bool failed = std::ferror(in) != 0;
    const int error = errno;
    if (!standardInput) std::fclose(in);
    const std::string name = standardInput ? "standard input" : path;
    if (failed) throw ToolError(ExitUsage, "cannot read " + name + " (" + std::strerror(error) + ")");
    if (bytes.size() > LargestFile)
        Invalid(name, 0, "more than 64 KiB: not a configuration file");
    const files::StrictReading reading = files::ReadStrictConfigFile(bytes);
    if (const auto* problem = std::get_if<files::ConfigFileProblem>(&reading)) Invalid(name, problem->line, problem->what);
    return {name, platform::Sha256Hex(bytes), std::get<files::StrictConfigFile>(reading)};
}

void CheckAgainstTransmitter(const ConfigSource& source, float nominalRange) {
    if (const auto problem = files::CheckThresholdLimits(source.file, nominalRange))
        Invalid(source.name, problem->line, problem->what);
}

std::string OutputFieldName(int k) {
    static const char* const fields[] = {"lower value", "higher value", "mode"};
    return "output " + std::to_string(k / 3 + 1) + " " + fields[k % 3];
}

std::vector<FieldDifference> Compare(const files::StrictConfigFile& file, const config::DeviceConfiguration& device,
                                     const DisplayUnit& unit) {
    std::vector<FieldDifference> differences;
    // Floats compare bit for bit as values: what was written must read back the same.
    if (!(file.specificGravity == device.specificGravity))
        differences.push_back({"specific gravity", ExactText(file.specificGravity),
                               device.specificGravityErased ? "erased" : ExactText(device.specificGravity),
                               file.specificGravity, device.specificGravity, FieldDifference::Gravity});
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord& want = file.outputs[i];
        const config::OutputRecord& have = device.outputs[i];
        const int k = static_cast<int>(3 * i);
        if (!(want.lower == have.lower))
            differences.push_back({OutputFieldName(k), ShowBoth(want.lower, have.lower, unit),
                                   ShowBoth(have.lower, want.lower, unit), want.lower, have.lower});
        if (!(want.higher == have.higher))
            differences.push_back({OutputFieldName(k + 1), ShowBoth(want.higher, have.higher, unit),
                                   ShowBoth(have.higher, want.higher, unit), want.higher, have.higher});
        if (want.mode != have.mode)
            differences.push_back({OutputFieldName(k + 2), ModeName(want.mode), ModeName(have.mode),
                                   static_cast<float>(want.mode), static_cast<float>(have.mode),
                                   FieldDifference::Mode});
    }
    return differences;
}

}  // namespace ctl
