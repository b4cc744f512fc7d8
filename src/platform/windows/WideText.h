// UTF-8 <-> UTF-16 for the Windows API, which takes and gives wide texts.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
// The system's text for an error code (GetLastError()), in English where the system has it.
std::string SystemErrorText(unsigned long code);

}  // namespace platform
