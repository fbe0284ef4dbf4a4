#ifndef PELK_VEK_PUTCHAR_HPP
#define PELK_VEK_PUTCHAR_HPP

// Writes one byte to standard output with one write(2), nothing buffered.
// Retries an interrupted write and waits out a full non-blocking descriptor,
// writing again after each second of waiting, or after a second's sleep where
// poll reports a hang-up or an error but writing still would block; where poll
// calls it writable but writing still would block, it sleeps a millisecond and
// waits again, and gives up once the 1000th such retry would block.
// On any other failure it reports the error and ends the run with status 1, so
// it returns only once the byte is written.
void vek_putchar(char glyph);

// Closes standard output. Some file systems (NFS, CIFS) report a failed
// write only then: that ends the run as any write error does.
void close_stdout();

// Reports a failed write of standard output and ends the run with status 1.
[[noreturn]] void die_write_error(int error);

#endif
