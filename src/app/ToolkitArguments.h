// Qt acts on options of its own in the command line (-reverse, -style, -stylesheet, -platform).
// The program takes no options, so Qt is handed the program's name and nothing else.
#pragma once

struct ToolkitArguments {
    explicit ToolkitArguments(char* programName) : argv{programName, nullptr} {}
    ToolkitArguments(const ToolkitArguments&) = delete;
    ToolkitArguments& operator=(const ToolkitArguments&) = delete;

    // QApplication keeps references to both for its whole life: keep this object alive as long.
    int argc = 1;
    char* argv[2];
};
