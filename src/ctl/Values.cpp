#include "ctl/Values.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "config/CheckedArithmetic.h"
#include "config/OutputMode.h"
#include "config/Units.h"
#include "config/WorkingState.h"
#include "ctl/ToolError.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

namespace ctl {
namespace {

constexpr size_t LargestFile = 1 << 20;

[[noreturn]] void Invalid(const std::string& path, int line, const std::string& what) {
    throw ToolError(ExitUsage, path + ":" + std::to_string(line) + ": " + what);
}

// The value in the unit, with its exact value in Pa when the unit's decimals hide the difference.
std::string ShowBoth(float value, float other, const DisplayUnit& unit) {
    const std::string shown = Show(value, unit);
    return shown == Show(other, unit) ? shown + " (" + ExactText(value) + " Pa)" : shown;
}

int LineCount(const std::string& bytes) {
    int lines = 0;
    for (char c : bytes) lines += c == '\n';
    if (!bytes.empty() && bytes.back() != '\n') ++lines;
    return lines;
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
    return platform::ToUtf8(config::FormatNumber(static_cast<double>(devicePa) * unit.factor, unit.decimals)) + " " +
           unit.text;
}

std::string ModeName(int mode) {
    if (mode >= 0 && mode < config::OutputModeCount) return platform::ToUtf8(config::OutputModeTexts[mode]);
    return "none (" + std::to_string(mode) + ")";
}

float EffectiveGravity(float deviceGravity) {
    return config::IsValidSpecificGravity(deviceGravity) ? deviceGravity : config::DefaultSpecificGravity;
}

std::string ExactText(float value) {
    char text[40];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        double back = 0;
        if (platform::TryTextToFloat(platform::Widen(text), back) && static_cast<float>(back) == value) break;
    }
    return text;
}

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

WritableConfiguration LoadForWriting(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError(ExitUsage, "cannot open " + path + "; check the file name and its permissions");
    std::string bytes;
    bytes.resize(LargestFile);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) throw ToolError(ExitUsage, "cannot read " + path);
    bytes.resize(static_cast<size_t>(in.gcount()));

    const files::ConfigFileReading reading = files::ReadConfigFile(bytes);
    if (!reading.complete) {
        const int line = reading.lastLineTaken + 1;
        const std::string header(files::ConfigFileHeader);
        if (bytes.rfind(header + "\n", 0) != 0 && bytes.rfind(header + "\r\n", 0) != 0) Invalid(path, 1, "not a configuration file: line 1 is not \"*** KD4410 CONFIG ***\"");
        if (line > LineCount(bytes))
            Invalid(path, line, "the file ends early: a configuration file has 15 lines");
        if ((line - 6) % 3 == 0) Invalid(path, line, "the mode is not a whole number 0..4");
        Invalid(path, line, "the number is too large");
    }
    const files::ConfigFileContent& c = reading.content;
    WritableConfiguration w;
    double gravity = 0;
    if (!platform::TryTextToFloat(c.specificGravityText, gravity)) gravity = 0;
    w.specificGravity = config::CheckedToFloat(gravity);
    if (!config::IsValidSpecificGravity(w.specificGravity))
        Invalid(path, 3, "specific gravity " + ExactText(w.specificGravity) + " is outside 10..100000 kg/m3");
    for (size_t i = 0; i < config::OutputCount; ++i) {
        using R = files::ConfigFileReading;
        const std::string output = "output " + std::to_string(i + 1);
        if (c.lower[i] > c.higher[i])
            Invalid(path, R::LowerLine(i), output + ": lower value " + ExactText(c.lower[i]) +
                                               " Pa is above its higher value " + ExactText(c.higher[i]) + " Pa");
        if (c.mode[i] < 0 || c.mode[i] >= config::OutputModeCount)
            Invalid(path, R::ModeLine(i), output + ": mode " + std::to_string(c.mode[i]) + " is not one of 0..4");
        w.outputs[i] = {c.lower[i], c.higher[i], static_cast<uint8_t>(c.mode[i])};
    }
    return w;
}

std::string OutputFieldName(int k) {
    static const char* const fields[] = {"lower value", "higher value", "mode"};
    return "output " + std::to_string(k / 3 + 1) + " " + fields[k % 3];
}

std::vector<FieldDifference> Compare(const WritableConfiguration& file, const config::DeviceConfiguration& device,
                                     const DisplayUnit& unit) {
    std::vector<FieldDifference> differences;
    // Floats compare bit for bit as values: what was written must read back the same.
    if (!(file.specificGravity == device.specificGravity))
        differences.push_back({"specific gravity", ExactText(file.specificGravity), ExactText(device.specificGravity)});
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord& want = file.outputs[i];
        const config::OutputRecord& have = device.outputs[i];
        const int k = static_cast<int>(3 * i);
        if (!(want.lower == have.lower))
            differences.push_back({OutputFieldName(k), ShowBoth(want.lower, have.lower, unit),
                                   ShowBoth(have.lower, want.lower, unit)});
        if (!(want.higher == have.higher))
            differences.push_back({OutputFieldName(k + 1), ShowBoth(want.higher, have.higher, unit),
                                   ShowBoth(have.higher, want.higher, unit)});
        if (want.mode != have.mode)
            differences.push_back({OutputFieldName(k + 2), ModeName(want.mode), ModeName(have.mode)});
    }
    return differences;
}

}  // namespace ctl
