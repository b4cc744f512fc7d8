// The titles of the top-level windows of an X display, kept apart from Qt and GoogleTest,
// whose names Xlib's macros would clash with.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class X11Display {
public:
    explicit X11Display(const std::string& name);
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    bool open() const { return display_ != nullptr; }
    // _NET_WM_NAME and WM_NAME of every top-level window that has either.
    std::vector<std::pair<std::string, std::string>> Titles() const;

private:
    void* display_ = nullptr;
};

}  // namespace testsupport
