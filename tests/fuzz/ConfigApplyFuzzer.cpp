// A configuration file of arbitrary bytes applied to the working state as loading it applies it:
// the lines taken before a failure, the mode lists' indexes, the measurement type of the file,
// the thresholds shown in every unit of that type. Nothing crashes; an applied configuration
// saves again as a file that reads back complete with the same modes and type.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/CheckedArithmetic.h"
#include "config/OutputMode.h"
#include "config/Units.h"
#include "config/WorkingState.h"
#include "files/ConfigFile.h"
#include "files/ParseNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const files::ConfigFileReading reading =
        files::ReadConfigFile(std::string_view(reinterpret_cast<const char*>(data), size));
    const files::ConfigFileContent& c = reading.content;

    config::WorkingState state;
    config::InitWorkingStateFields(state, u"1000");
    std::u16string specificGravityText = u"1000";
    std::array<int32_t, config::OutputCount> modeIndex{-1, -1, -1, -1};
    if (reading.Took(2)) state.configPressureMode = c.pressureType;
    if (reading.Took(3)) specificGravityText = c.specificGravityText;
    for (size_t i = 0; i < config::OutputCount; ++i) {
        if (reading.Took(files::ConfigFileReading::HigherLine(i))) state.outputHigher[i] = c.higher[i];
        if (reading.Took(files::ConfigFileReading::LowerLine(i))) state.outputLower[i] = c.lower[i];
        if (reading.Took(files::ConfigFileReading::ModeLine(i)))
            modeIndex[i] = c.mode[i] >= 0 && c.mode[i] < static_cast<int32_t>(config::OutputModeCount) ? c.mode[i] : -1;
    }
    if (!reading.complete) return 0;

    // The type of the file, in every unit of it; a specific gravity of 0 or no number cannot
    // give a length factor, which the window reports as an escaping error.
    const double density = files::ParseNumber(specificGravityText);
    for (size_t i = 0; i < config::OutputCount; ++i) {
        for (double value : {static_cast<double>(state.outputLower[i]), static_cast<double>(state.outputHigher[i])}) {
            if (state.configPressureMode) {
                for (const config::PressureUnit& unit : config::PressureUnits)
                    config::FormatNumber(value * unit.factor, unit.decimals);
            } else {
                for (const config::LengthUnit& unit : config::LengthUnits) {
                    try {
                        config::FormatNumber(value * config::LengthFactor(unit.numerator, density), unit.decimals);
                    } catch (...) {
                    }
                }
            }
        }
    }
    try {
        config::CheckedToFloat(density);
    } catch (...) {
    }

    files::ConfigFileContent again;
    again.pressureType = state.configPressureMode;
    again.specificGravityText = specificGravityText;
    again.higher = state.outputHigher;
    again.lower = state.outputLower;
    again.mode = modeIndex;
    const files::ConfigFileReading back = files::ReadConfigFile(files::FormatConfigFile(again));
    if (!back.complete || back.content.mode != modeIndex || back.content.pressureType != again.pressureType) std::abort();
    return 0;
}
