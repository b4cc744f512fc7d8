#include "files/ParseNumber.h"

#include <algorithm>
#include <string>

#include "platform/NumberText.h"

namespace files {

double ParseNumber(std::u16string_view text) {
    std::u16string copy(text);
    double value = 0;
    if (platform::TryTextToFloat(copy, value)) return value;
    std::replace(copy.begin(), copy.end(), u'.', u',');
    if (platform::TryTextToFloat(copy, value)) return value;
    std::replace(copy.begin(), copy.end(), u',', u'.');
    if (platform::TryTextToFloat(copy, value)) return value;
    return 0;
}

}  // namespace files
