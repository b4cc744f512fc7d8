#include "support/X11Titles.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <optional>

namespace testsupport {

namespace {

std::optional<std::string> TextProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) != Success || data == nullptr)
        return std::nullopt;
    std::string text(reinterpret_cast<char*>(data), count);
    XFree(data);
    return text;
}

// WM_NAME as UTF-8, whatever encoding (STRING, COMPOUND_TEXT, UTF8_STRING) it is stored in.
std::optional<std::string> PlainName(Display* display, Window window) {
    XTextProperty property{};
    if (XGetWMName(display, window, &property) == 0 || property.value == nullptr) return std::nullopt;
    char** list = nullptr;
    int count = 0;
    std::optional<std::string> text;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && count > 0) text = list[0];
    if (list != nullptr) XFreeStringList(list);
    XFree(property.value);
    return text;
}

}  // namespace

X11Display::X11Display(const std::string& name) : display_(XOpenDisplay(name.c_str())) {}

X11Display::~X11Display() {
    if (display_ != nullptr) XCloseDisplay(static_cast<Display*>(display_));
}

std::vector<std::pair<std::string, std::string>> X11Display::Titles() const {
    std::vector<std::pair<std::string, std::string>> titles;
    auto* display = static_cast<Display*>(display_);
    if (display == nullptr) return titles;
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return titles;
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    for (unsigned int i = 0; i < count; ++i) {
        const auto net = TextProperty(display, children[i], netName);
        const auto plain = PlainName(display, children[i]);
        if (net || plain) titles.emplace_back(net.value_or(""), plain.value_or(""));
    }
    if (children != nullptr) XFree(children);
    return titles;
}

}  // namespace testsupport
