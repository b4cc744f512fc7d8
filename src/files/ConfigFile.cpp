#include "files/ConfigFile.h"

#include <optional>

#include "config/CheckedArithmetic.h"
#include "files/ParseNumber.h"
#include "platform/NumberText.h"
#include "platform/RawFile.h"
#include "platform/Text.h"

namespace files {
namespace {

constexpr size_t MaxLineCharacters = 99;
constexpr size_t LineCount = 15;

// Lines as a text-mode stream gives them: CR LF read as LF, at most 99 characters a read,
// the line feed included.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
    std::optional<std::string> Next() {
        if (at_ >= bytes_.size()) return std::nullopt;
        std::string line;
        while (at_ < bytes_.size() && line.size() < MaxLineCharacters) {
            char c = bytes_[at_++];
            if (c == '\r' && at_ < bytes_.size() && bytes_[at_] == '\n') c = bytes_[at_++];
            line.push_back(c);
            if (c == '\n') break;
        }
        return line;
    }

private:
    std::string_view bytes_;
    size_t at_ = 0;
};

std::u16string Cut(const std::string& line) {
    size_t end = line.size();
    while (end > 0 && static_cast<unsigned char>(line[end - 1]) <= 32) --end;
    return platform::FromUtf8(std::string_view(line).substr(0, end));
}

}  // namespace

std::string FormatConfigFile(const ConfigFileContent& c) {
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += "\r\n";
    };
    line(ConfigFileHeader);
    line(c.pressureType ? "p" : "h");
    line(platform::ToUtf8(c.specificGravityText));
    for (size_t i = 0; i < config::OutputCount; ++i) {
        line(platform::FormatFixed(c.higher[i], 6));
        line(platform::FormatFixed(c.lower[i], 6));
        line(platform::FormatInt(c.mode[i]));
    }
    return out;
}

ConfigFileReading ReadConfigFile(std::string_view bytes) {
    ConfigFileReading reading;
    ConfigFileContent& c = reading.content;
    LineReader reader(bytes);
    const auto header = reader.Next();
    if (!header || *header != std::string(ConfigFileHeader) + "\n") return reading;
    try {
        for (int number = 2; number <= static_cast<int>(LineCount); ++number) {
            const auto raw = reader.Next();
            if (!raw) return reading;  // the file ends early
            const std::u16string line = Cut(*raw);
            if (number == 2) {
                c.pressureType = line == u"p";
            } else if (number == 3) {
                c.specificGravityText = platform::FormatGeneral(ParseNumber(line));
            } else {
                const size_t output = static_cast<size_t>(number - 4) / 3;
                switch ((number - 4) % 3) {
                    case 0: c.higher[output] = config::CheckedToFloat(ParseNumber(line)); break;
                    case 1: c.lower[output] = config::CheckedToFloat(ParseNumber(line)); break;
                    default:
                        if (!platform::TryTextToInt(line, c.mode[output])) return reading;
                }
            }
            reading.lastLineTaken = number;
        }
    } catch (const config::ArithmeticError&) {
        return reading;
    }
    reading.complete = true;
    return reading;
}

std::optional<std::string> ReadConfigFileBeginning(const std::string& path) {
    // Only a regular file, and a fifo without a writer never makes the read wait for one.
    std::string bytes;
    if (!platform::ReadFileBeginning(path, ConfigFileReadLimit, bytes)) return std::nullopt;
    return bytes;
}

}  // namespace files
