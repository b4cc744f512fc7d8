#include "platform/Console.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <csignal>

#include "platform/windows/WideText.h"

namespace platform {
namespace {

std::atomic<bool>* stopFlag = nullptr;

BOOL WINAPI SetStopFlag(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (stopFlag != nullptr) stopFlag->store(true);
        return TRUE;  // handled: the process goes on to finish the exchange in flight
    default:
        return FALSE;
    }
}

// SIGINT and SIGTERM as the C runtime delivers them (raise(), or its own Ctrl-C); it resets a
// handler to the default before calling it, so the handler puts itself back.
extern "C" void SetStopFlagFromSignal(int signal) {
    if (stopFlag != nullptr) stopFlag->store(true);
    std::signal(signal, SetStopFlagFromSignal);
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

void PrepareStandardStreams() {
    for (int stream : {0, 1, 2}) _setmode(stream, _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

// _isatty() is true for any character device, the NUL device too: only a console counts here.
bool IsTerminal(int stream) {
    const intptr_t handle = _get_osfhandle(stream);
    DWORD mode = 0;
    return handle != -1 && GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) != 0;
}

void CatchStopRequests(std::atomic<bool>& flag) {
    stopFlag = &flag;
    SetConsoleCtrlHandler(SetStopFlag, TRUE);
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, SetStopFlagFromSignal);
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

std::string LoginName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    return GetUserNameW(name, &size) ? Utf8FromWide(name) : std::string();
}

std::string HostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Utf8FromWide(name) : std::string();
}

}  // namespace platform
