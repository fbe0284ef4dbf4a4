#include "pelk04.hpp"
#include "vek_putchar.hpp"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// atoi's grammar, but a value beyond int, where atoi's result is undefined,
// is taken as the nearest limit.
int to_dimension(const char *text)
{
    const long value = strtol(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char *argv[])
{
    // The usage line must leave stdio's buffer before the close.
    if (argc == 3)
        pelk(to_dimension(argv[1]), to_dimension(argv[2]));
    else if (puts("Usage: ./pelk x y") == EOF || fflush(stdout) == EOF)
        die_write_error(errno);
    close_stdout();
    return 0;
}
