#include "files/StrictConfigFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "config/OutputMode.h"
#include "files/ConfigFile.h"
#include "platform/NumberText.h"

namespace files {
namespace {

constexpr size_t LineCount = 15;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// digits [sep digits], at least one digit in all; returns the position after them.
size_t SkipDecimal(std::string_view s, size_t at, std::string_view separators) {
    const size_t start = at;
    while (at < s.size() && IsDigit(s[at])) ++at;
    size_t digits = at - start;
    if (at < s.size() && separators.find(s[at]) != std::string_view::npos) {
        const size_t fraction = ++at;
        while (at < s.size() && IsDigit(s[at])) ++at;
        digits += at - fraction;
    }
    return digits == 0 ? std::string_view::npos : at;
}

// Optional "-", digits, optional "." and digits, optional exponent: nothing else.
bool IsThresholdText(std::string_view s) {
    size_t at = !s.empty() && s[0] == '-' ? 1 : 0;
    at = SkipDecimal(s, at, ".");
    if (at == std::string_view::npos) return false;
    if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
        ++at;
        if (at < s.size() && (s[at] == '-' || s[at] == '+')) ++at;
        const size_t digits = at;
        while (at < s.size() && IsDigit(s[at])) ++at;
        if (at == digits) return false;
    }
    return at == s.size();
}

std::optional<double> ToDouble(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// What a line holds, for a message: quoted, shortened, control bytes as \xNN.
std::string Quoted(std::string_view line) {
    constexpr size_t Longest = 40;
    std::string out = "\"";
    for (size_t i = 0; i < line.size() && i < Longest; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 32 || c == 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + (line.size() > Longest ? "...\"" : "\"");
}

std::string Found(std::string_view line) { return line.empty() ? "an empty line" : Quoted(line); }

// The file split into whole lines: CR LF or LF, trailing blanks and tabs cut after line 1.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // The header must stand exactly as written; blanks after a value change nothing.
        while (!lines.empty() && !line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        lines.push_back(line);
        at = next;
    }
    return lines;
}

std::optional<ConfigFileProblem> Encoding(std::string_view bytes) {
    auto startsWith = [bytes](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (startsWith("\xEF\xBB\xBF"))
        return ConfigFileProblem{1, "the file begins with a UTF-8 byte-order mark; save it without one (plain "
                                    "ASCII text, as kd4410 writes it)"};
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF") ||
        (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0')))
        return ConfigFileProblem{1, "the file is UTF-16 text; save it as plain ASCII text, as kd4410 writes it"};
    if (bytes.find('\0') != std::string_view::npos) return ConfigFileProblem{0, "the file holds NUL bytes: not a text file"};
    return std::nullopt;
}

std::string OutputName(size_t i) { return "output " + std::to_string(i + 1); }

}  // namespace

StrictReading ReadStrictConfigFile(std::string_view bytes) {
    if (auto problem = Encoding(bytes)) return *problem;
    const std::vector<std::string_view> lines = Lines(bytes);
    if (lines.empty() || lines[0] != ConfigFileHeader)
        return ConfigFileProblem{1, "not a configuration file: expected \"" + std::string(ConfigFileHeader) +
                                        "\", found " + Found(lines.empty() ? std::string_view() : lines[0])};
    if (lines.size() < LineCount)
        return ConfigFileProblem{static_cast<int>(lines.size()) + 1,
                                 "the file ends early: a configuration file has 15 lines"};
    for (size_t extra = LineCount; extra < lines.size(); ++extra)
        if (!lines[extra].empty())
            return ConfigFileProblem{static_cast<int>(extra) + 1,
                                     "expected the end of the file after line 15, found " + Found(lines[extra])};

    StrictConfigFile file;
    if (lines[1] != "p" && lines[1] != "h")
        return ConfigFileProblem{2, "expected the measurement type p or h, found " + Found(lines[1])};
    file.pressureType = lines[1] == "p";

    const std::string_view gravityText = lines[2];
    const size_t afterSign = !gravityText.empty() && gravityText[0] == '-' ? 1 : 0;
    const std::optional<double> gravity =
        SkipDecimal(gravityText, afterSign, ".,") == gravityText.size() ? ToDouble(std::string(gravityText))
                                                                         : std::nullopt;
    if (!gravity)
        return ConfigFileProblem{3, "expected the specific gravity in kg/m3 (digits with at most one decimal "
                                    "point or comma, such as 998.5), found " + Found(gravityText)};
    if (!(*gravity >= config::MinSpecificGravity && *gravity <= config::MaxSpecificGravity))
        return ConfigFileProblem{3, "specific gravity " + std::string(gravityText) +
                                        " is outside 10..100000 kg/m3"};
    file.specificGravity = static_cast<float>(*gravity);

    for (size_t i = 0; i < config::OutputCount; ++i) {
        float values[2] = {};  // higher, lower: the file's order
        for (int k = 0; k < 2; ++k) {
            const int line = (k == 0 ? ConfigFileReading::HigherLine(i) : ConfigFileReading::LowerLine(i));
            const std::string_view text = lines[static_cast<size_t>(line - 1)];
            const std::string what = OutputName(i) + (k == 0 ? " higher value" : " lower value");
            const std::optional<double> value = IsThresholdText(text) ? ToDouble(std::string(text)) : std::nullopt;
            if (!value)
                return ConfigFileProblem{line, "expected the " + what + " in Pa as a decimal number with a point "
                                               "(such as 20000.000000), found " + Found(text)};
            if (std::fabs(*value) > std::numeric_limits<float>::max())
                return ConfigFileProblem{line, what + " " + std::string(text) + " Pa is too large for the transmitter"};
            values[k] = static_cast<float>(*value);
        }
        const int modeLine = ConfigFileReading::ModeLine(i);
        const std::string_view modeText = lines[static_cast<size_t>(modeLine - 1)];
        if (modeText.size() != 1 || modeText[0] < '0' || modeText[0] >= '0' + config::OutputModeCount)
            return ConfigFileProblem{modeLine, "expected the " + OutputName(i) + " mode, a whole number 0..4, found " +
                                                   Found(modeText)};
        file.outputs[i] = {values[1], values[0], static_cast<uint8_t>(modeText[0] - '0')};
        if (file.outputs[i].lower > file.outputs[i].higher)
            return ConfigFileProblem{ConfigFileReading::LowerLine(i),
                                     OutputName(i) + ": lower value " + platform::ShortestText(values[1]) +
                                         " Pa is above its higher value " + platform::ShortestText(values[0]) + " Pa"};
    }
    return file;
}

std::optional<ConfigFileProblem> CheckThresholdLimits(const StrictConfigFile& file, float nominalRange) {
    if (!(nominalRange > 0) || !std::isfinite(nominalRange))
        return ConfigFileProblem{0, "the transmitter's nominal range (" + platform::ShortestText(nominalRange) +
                                        " Pa) is not a positive number, so the thresholds cannot be checked"};
    // The window's limits after a read: the lowest kept as a float, the highest with 1 % over.
    const float lowest = static_cast<float>(-0.1 * nominalRange);
    const double highest = static_cast<double>(nominalRange) * 1.01;
    const std::string range = " Pa, the transmitter's nominal range being " + platform::ShortestText(nominalRange) + " Pa";
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord& r = file.outputs[i];
        if (r.lower < lowest)
            return ConfigFileProblem{ConfigFileReading::LowerLine(i),
                                     OutputName(i) + " lower value " + platform::ShortestText(r.lower) +
                                         " Pa is below the lowest allowed, " + platform::ShortestText(lowest) + range};
        if (r.higher > highest)
            return ConfigFileProblem{ConfigFileReading::HigherLine(i),
                                     OutputName(i) + " higher value " + platform::ShortestText(r.higher) +
                                         " Pa is above the highest allowed, " +
                                         platform::ShortestText(static_cast<float>(highest)) + range};
    }
    return std::nullopt;
}

}  // namespace files
