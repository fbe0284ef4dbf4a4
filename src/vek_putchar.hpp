#ifndef PELK_VEK_PUTCHAR_HPP
#define PELK_VEK_PUTCHAR_HPP

// Writes one byte to standard output at once, with no buffering.
void vek_putchar(char glyph);

// Reports a failed write of standard output and ends the run with status 1.
[[noreturn]] void die_write_error(int error);

#endif
