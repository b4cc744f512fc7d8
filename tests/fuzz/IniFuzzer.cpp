// INI files of arbitrary bytes never crash the codec; a file it writes reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lang/Utf16Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lang::Utf16Ini ini(lang::DecodeUtf16Le(std::string_view(reinterpret_cast<const char*>(data), size)));
    ini.ReadInteger(u"Options", u"Language", 0);
    ini.ReadString(u"Names", u"0", u"---");
    ini.WriteInteger(u"Options", u"unitOfPressure", 5);
    const std::string written = ini.Serialize();
    const lang::Utf16Ini back(lang::DecodeUtf16Le(written));
    if (back.ReadInteger(u"Options", u"unitOfPressure", 0) != 5) std::abort();
    if (back.Serialize() != written) std::abort();
    return 0;
}
