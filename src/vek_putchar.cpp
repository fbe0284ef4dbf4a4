#include "vek_putchar.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

// A write that poll said would go through may still block: on a shared pipe
// another writer took the room first, and the next wait is a real one; on a
// file, whose poll always says yes, it may never go through. Each retry but
// the first comes after a 1 ms sleep, and once a byte's 1000th retry still
// would block, pelk gives up rather than hang; the sleeps leave the CPU all
// but idle meanwhile. The bound is a count, not a time: a stop, a busy CPU or
// an inherited timer slack stretches the sleeps, and must make the tries last
// longer, never make them fewer. Not every run of lost races is short,
// though: on a terminal, another writer that waits for room holds the
// terminal's write lock, and pelk's writes fail at once meanwhile (under
// strace, one byte lost hundreds of races in a row so), so a live terminal
// shared with such a writer can use up the tries.
constexpr int max_retries = 1000;
constexpr int pause_ms = 1;

// Standard output may be non-blocking (the flag belongs to whoever shares the
// descriptor): sleep until it takes a byte rather than lose the byte or spin.
// poll does not report every output that has gone (an AF_UNIX socket whose
// reader shut down reading stays silent, though a write fails at once), so a
// wait ends after a second and the byte is written again: a live reader that
// stalls costs a write and a poll a second, and loses nothing. Nor is a
// hang-up or an error that poll reports always the end (a terminal whose
// other side is opened again, an error queue that is another's): where the
// write still would block, pelk sleeps out the second, as poll returns at
// once there, and writes again.
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

// A byte that cannot be written is lost, and so would be every byte after
// it: stop at the first failure rather than go on calling write for nothing.
void vek_putchar(char glyph)
{
    short events = POLLOUT; // the first write is a try, as after POLLOUT
    for (int retries = 0;;) {
        const auto written = write(STDOUT_FILENO, &glyph, 1);
        if (written == 1)
            return;
        if (written != -1) // errno is stale unless write says it failed
            die_write_error(EIO);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if ((events & POLLOUT) != 0) {
                if (retries == max_retries)
                    die_write_error(errno);
                if (retries > 0)
                    sleep_ms(pause_ms);
                ++retries;
            } else if (events != 0) // a hang-up or an error, and no room
                sleep_ms(wait_ms);
            // else the wait timed out, which is no try: the output is slow
            events = wait_for_room();
        } else if (errno != EINTR)
            die_write_error(errno);
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
