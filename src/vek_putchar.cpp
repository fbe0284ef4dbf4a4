#include "vek_putchar.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>

// Standard output may be non-blocking (the flag belongs to whoever shares the
// descriptor): sleep until it takes a byte rather than lose the byte or spin.
static void wait_writable()
{
    pollfd out = {STDOUT_FILENO, POLLOUT, 0};
    while (poll(&out, 1, -1) < 0)
        if (errno != EINTR)
            die_write_error(errno);
}

// A byte that cannot be written is lost, and so would be every byte after
// it: stop at the first failure rather than go on calling write for nothing.
void vek_putchar(char glyph)
{
    const char byte = glyph;
    for (;;) {
        const ssize_t written = write(STDOUT_FILENO, &byte, 1);
        if (written == 1)
            return;
        if (written == 0)
            die_write_error(EIO);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            wait_writable();
        else if (errno != EINTR)
            die_write_error(errno);
    }
}

void die_write_error(int error)
{
    (void)fprintf(stderr, "pelk: write error: %s\n", strerror(error));
    exit(EXIT_FAILURE);
}
