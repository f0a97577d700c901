#pragma once
// The instrument's end of a benchmark's pseudo-terminal: writes that wait
// until every byte is taken.
#include <cstddef>
#include <unistd.h>

inline bool writeAll(int fd, const char *p, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0)
            return false;
        p += w;
        n -= std::size_t(w);
    }
    return true;
}
