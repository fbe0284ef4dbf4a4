#include "vek_putchar.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

// Tries of one byte after poll said it would go, each but the first after a
// pause: another writer may take the room first, and a file's poll always
// says yes. A count, not a time: a stop or timer slack never makes it fewer.
constexpr int max_retries = 1000;
constexpr int pause_ms = 1;

// poll does not report every output that has gone (an AF_UNIX socket whose
// reader shut down reading), so each wait ends after a second with a write.
constexpr int wait_ms = 1000;

void sleep_ms(int milliseconds)
{
    (void)poll(nullptr, 0, milliseconds);
}

// Returns poll's events: none if the wait timed out.
short wait_for_room()
{
    pollfd out = {STDOUT_FILENO, POLLOUT, 0};
    while (poll(&out, 1, wait_ms) < 0)
        if (errno != EINTR)
            die_write_error(errno);
    return out.revents;
}

} // namespace

void vek_putchar(char glyph)
{
    short events = POLLOUT; // the first write is a try, as after POLLOUT
    for (int retries = 0;;) {
        const auto written = write(STDOUT_FILENO, &glyph, 1);
        if (written == 1)
            return;
        if (written != -1) // errno is stale unless write says it failed
            die_write_error(EIO);
        if (errno == EINTR)
            continue;
        static_assert(EWOULDBLOCK == EAGAIN, "would block has one errno");
        if (errno != EAGAIN)
            die_write_error(errno);
        if ((events & POLLOUT) != 0) { // a race lost, or a file
            if (retries == max_retries)
                die_write_error(errno);
            if (retries > 0)
                sleep_ms(pause_ms);
            ++retries;
        } else if (events != 0) {
            // A hang-up or an error alone need not be the end (a terminal's
            // other side may open again), but poll returns at once on it.
            sleep_ms(wait_ms);
        } // else the wait timed out: no try, as the output is only slow
        events = wait_for_room();
    }
}

void close_stdout()
{
    // EBADF: standard output was never open, so nothing was written to it.
    if (close(STDOUT_FILENO) != 0 && errno != EBADF)
        die_write_error(errno);
}

void die_write_error(int error)
{
    (void)fprintf(stderr, "pelk: write error: %s\n", strerror(error));
    exit(EXIT_FAILURE);
}
