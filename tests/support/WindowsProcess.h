// Starting a program as a child process on Windows: a command line quoted as the C runtime
// splits it again, an environment block of its own, its own working folder, its standard
// handles redirected to files, and its exit code.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "support/Utf8Paths.h"

namespace testsupport {

inline std::wstring Wide(const std::string& utf8) { return PathFromText(utf8).wstring(); }

// One argument as CommandLineToArgvW and the C runtime read it back: quoted when it holds a
// blank or a quote, with the backslashes before a quote doubled.
inline std::wstring QuotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

// This process's environment with the variables of changes set (an empty value removes), as
// the block CreateProcessW takes: sorted by name without regard to case, each "name=value"
// ended by a zero, and a zero after the last.
inline std::wstring EnvironmentBlock(const std::map<std::string, std::string>& changes) {
    struct Caseless {
        bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
    };
    std::map<std::wstring, std::wstring, Caseless> variables;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        const std::wstring text(entry);
        const size_t equals = text.find(L'=', 1);  // the drives' own entries begin with '='
        if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(own);
    for (const auto& [name, value] : changes) {
        if (value.empty()) variables.erase(Wide(name));
        else variables[Wide(name)] = Wide(value);
    }
    std::wstring block;
    for (const auto& [name, value] : variables) {
        block += name + L"=" + value;
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// A handle the child inherits: path read, or created afresh for writing; "/dev/null" is NUL.
inline HANDLE InheritedHandle(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring name = path == "/dev/null" ? std::wstring(L"NUL") : Wide(path);
    return CreateFileW(name.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The exit code of program run with args, or -1 when it could not be started.
inline int RunWindowsProcess(const std::string& program, const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& env, const std::string& folder,
                             const std::string& input, const std::string& output, const std::string& errors) {
    std::wstring command = QuotedArgument(Wide(program));
    for (const std::string& a : args) command += L" " + QuotedArgument(Wide(a));
    std::wstring block = EnvironmentBlock(env);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritedHandle(input, false);
    startup.hStdOutput = InheritedHandle(output, true);
    startup.hStdError = InheritedHandle(errors, true);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(Wide(program).c_str(), command.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(),
                                        Wide(folder).c_str(), &startup, &process);
    for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return known ? static_cast<int>(code) : -1;
}

}  // namespace testsupport
