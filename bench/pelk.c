/* The yardstick for pelk: the same design in plain C, as simple as it can be
 * (atoi, puts, one unbuffered write per byte, results ignored), built with
 * the same flags. */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void vek_putchar(char glyph)
{
    /* Ignored, but a cast to void does not quiet -Wunused-result, which
     * _FORTIFY_SOURCE turns on for write. */
    ssize_t ignored = write(1, &glyph, 1);
    (void)ignored;
}

static void draw_line(int width, char first, char inner, char last)
{
    for (int column = 0; column < width; ++column) {
        if (column == 0)
            vek_putchar(first);
        else if (column == width - 1)
            vek_putchar(last);
        else
            vek_putchar(inner);
    }
    vek_putchar('\n');
}

static void pelk(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    for (int row = 0; row < height; ++row) {
        if (row == 0)
            draw_line(width, 'A', 'B', 'C');
        else if (row == height - 1)
            draw_line(width, 'C', 'B', 'A');
        else
            draw_line(width, 'B', ' ', 'B');
    }
}

int main(int argc, char *argv[])
{
    if (argc != 3) {
        puts("Usage: ./pelk x y");
        return 0;
    }
    pelk(atoi(argv[1]), atoi(argv[2]));
    return 0;
}
