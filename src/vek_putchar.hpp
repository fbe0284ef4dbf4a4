#ifndef PELK_VEK_PUTCHAR_HPP
#define PELK_VEK_PUTCHAR_HPP

// Writes one byte to standard output with one write(2), nothing buffered, and
// waits out a full non-blocking output. Returns only once the byte is written;
// on failure it reports the error and ends the run with status 1.
void vek_putchar(char glyph);

// Closes standard output; some file systems (NFS, CIFS) report a failed write
// only then, and that ends the run as any write error does.
void close_stdout();

// Reports a failed write of standard output and ends the run with status 1.
[[noreturn]] void die_write_error(int error);

#endif
