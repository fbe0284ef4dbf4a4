#include "pelk04.hpp"

#include "vek_putchar.hpp"

void pelk(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    // The top row is tested first, so a frame one row high has no bottom row.
    for (int row = 0; row < height; ++row) {
        if (row == 0)
            draw_line(width, 'A', 'B', 'C');
        else if (row == height - 1)
            draw_line(width, 'C', 'B', 'A');
        else
            draw_line(width, 'B', ' ', 'B');
    }
}

void draw_line(int width, char first, char inner, char last)
{
    // The first column is tested first, so a row one column wide is its first
    // glyph alone.
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
