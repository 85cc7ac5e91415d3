// Line numbers as an editor shows them, for content the grammar splits at
// runs of CR and LF.
#pragma once

#include <cstddef>

namespace langcheck {

// Calls visit(number, begin, end) for every non-empty line of
// base[begin, end), where CR LF, LF and CR each end one line. Returns the
// number of the last non-empty line, or 1 when there is none.
template <typename Visit>
std::size_t ForEachLine(const unsigned char* base, std::size_t begin, std::size_t end, Visit&& visit)
{
    std::size_t number = 1;
    std::size_t last = 1;
    std::size_t p = begin;
    while (p < end) {
        const std::size_t start = p;
        while (p < end && base[p] != '\r' && base[p] != '\n') {
            ++p;
        }
        if (p != start) {
            visit(number, start, p);
            last = number;
        }
        if (p == end) {
            break;
        }
        p += base[p] == '\r' && p + 1 < end && base[p + 1] == '\n' ? 2 : 1;
        ++number;
    }
    return last;
}

}  // namespace langcheck
