// A settings file of arbitrary bytes is read, applied as the window applies it (the language
// in force, the measurement type shown), saved and read back: nothing crashes, the language in
// force stays within the index, and what a save writes reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzFolder.h"
#include "config/Units.h"
#include "config/WorkingState.h"
#include "files/Settings.h"
#include "lang/Lang.h"

namespace {

const std::filesystem::path& Folder() {
    static const bool pointed = setenv("XDG_CONFIG_HOME", fuzzsupport::FuzzFolder().c_str(), 1) == 0;
    if (!pointed) std::abort();
    return fuzzsupport::FuzzFolder();
}

bool Same(const files::UserSettings& a, const files::UserSettings& b) {
    return a.language == b.language && a.isPressure == b.isPressure && a.unitOfLength == b.unitOfLength &&
           a.unitOfPressure == b.unitOfPressure;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = Folder() / files::SettingsFolderName / files::SettingsFileName;
    std::filesystem::create_directories(file.parent_path());
    fuzzsupport::WriteInput(file, std::string_view(reinterpret_cast<const char*>(data), size));

    const files::UserSettings settings = files::LoadUserSettings();
    lang::Language = settings.language;
    const int32_t inForce = lang::EffectiveLanguage();
    if (inForce < 0 || inForce >= lang::MaxLanguages) std::abort();
    lang::LanguageFilePath(u"");

    config::WorkingState state;
    config::InitWorkingStateFields(state, u"1000");
    state.isPressure = settings.isPressure;
    state.unitOfLength = settings.unitOfLength;
    state.unitOfPressure = settings.unitOfPressure;
    state.displayFactor = state.isPressure ? state.pressureFactor : state.lengthFactor;
    state.displayDecimals = state.isPressure ? state.pressureDecimals : state.lengthDecimals;
    config::FormatNumber(static_cast<double>(state.nominalRange) * state.displayFactor, state.displayDecimals);

    files::SaveUserSettings(settings);
    if (!Same(files::LoadUserSettings(), settings)) std::abort();
    lang::Language = 0;
    return 0;
}
