// The checker as a native program, for translation pipelines without Wine.
#include "tools/langcheck/Langcheck.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

class StdioConsole final : public langcheck::Console {
public:
    void Out(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
    void Err(std::string_view text) override
    {
        std::fflush(stdout);
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    try {
        StdioConsole console;
        const int status = langcheck::RunLangcheck(std::vector<std::string>(argv + 1, argv + argc), console);
        return std::fflush(stdout) == 0 ? status : langcheck::kExitTrouble;
    } catch (const std::exception&) {
        std::fputs("langcheck: the check failed\n", stderr);
        return langcheck::kExitTrouble;
    }
}
