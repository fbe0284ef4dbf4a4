#include "vek_putchar.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

// The slow path, kept out of line so that the byte loop stays a bare write.
// A byte that cannot be written is lost, and so would be every byte after
// it: stop rather than go on calling write for nothing.
[[gnu::cold, gnu::noinline]] static void retry_or_die(char byte,
                                                      ssize_t written)
{
    while (written < 0 && errno == EINTR)
        written = write(STDOUT_FILENO, &byte, 1);
    if (written != 1)
        die_write_error(written < 0 ? errno : EIO);
}

void vek_putchar(char glyph)
{
    const char byte = glyph;
    const ssize_t written = write(STDOUT_FILENO, &byte, 1);
    if (written != 1)
        retry_or_die(byte, written);
}

void die_write_error(int error)
{
    (void)fprintf(stderr, "pelk: write error: %s\n", strerror(error));
    // _exit, not exit: a failed usage line may still sit in stdout's buffer,
    // and exit would only try to write it again.
    _exit(EXIT_FAILURE);
}
