// Runs the built kd4410ctl as a user would: a child process with its own environment, no
// terminal on its input, its output and errors captured.
#pragma once

#ifdef _WIN32
#include "support/WindowsProcess.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace testsupport {

struct Outcome {
    int exit = -1;
    std::string out;
    std::string err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(PathFromText(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A file the build made, by the path CMake gave it; a Windows program under wine reaches a
// Unix path through the drive Z:.
inline std::string BuiltFile(const std::string& path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') return "Z:" + path;
#endif
    return path;
}

// The name of a program file: kd4410ctl, kd4410ctl.exe.
inline std::string ProgramFileName(const std::string& stem) {
#ifdef _WIN32
    return stem + ".exe";
#else
    return stem;
#endif
}

// program with args, in folder, with the variables of env set (an empty value unsets); its
// standard input read from input, its standard output written to output ("" to capture it).
// All paths are UTF-8; "/dev/null" is the null device on both systems.
inline Outcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env, const std::string& folder,
                          const std::string& input = "/dev/null", const std::string& output = "") {
    const std::string outFile = output.empty() ? folder + "/.stdout" : output, errFile = folder + "/.stderr";
#ifdef _WIN32
    const int exit = RunWindowsProcess(program, args, env, folder, input, outFile, errFile);
    return {exit, output.empty() ? Slurp(outFile) : std::string(), Slurp(errFile)};
#else
    const pid_t child = fork();
    if (child == 0) {
        for (const auto& [name, value] : env) {
            if (value.empty()) unsetenv(name.c_str());
            else setenv(name.c_str(), value.c_str(), 1);
        }
        const int in = open(input.c_str(), O_RDONLY);
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output.empty() ? Slurp(outFile) : std::string(),
            Slurp(errFile)};
#endif
}

}  // namespace testsupport
