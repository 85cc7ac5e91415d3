#include "console/actions/LocaleList.h"

namespace console {

std::vector<std::string> SplitLocaleList(const std::string& text)
{
    std::vector<std::string> codes;
    size_t position = 0;
    while (position < text.size()) {
        const size_t comma = text.find(',', position);
        if (comma == std::string::npos) {
            codes.push_back(text.substr(position));
            position = text.size();
        } else {
            codes.push_back(text.substr(position, comma - position));
            position = comma + 1;
        }
    }
    if (codes.empty()) {
        codes.emplace_back("ENU");
    }
    return codes;
}

}  // namespace console
