// The langcheck command, apart from the platform's entry point and console.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace langcheck {

// Where the command writes; texts are UTF-8 with LF line ends.
class Console {
public:
    virtual ~Console() = default;
    virtual void Out(std::string_view text) = 0;
    virtual void Err(std::string_view text) = 0;
};

inline constexpr int kExitClean = 0;  // no errors (warnings allowed)
inline constexpr int kExitErrors = 1;  // a file has errors
inline constexpr int kExitTrouble = 2;  // a file cannot be read or written, or an argument is wrong

// Runs "langcheck [--reference FILE] FILE..." or "langcheck --export-defaults
// OUT"; arguments (without the program name) and paths are UTF-8. Returns the
// exit status.
int RunLangcheck(const std::vector<std::string>& arguments, Console& console);

}  // namespace langcheck
