#ifndef PELK_PELK04_HPP
#define PELK_PELK04_HPP

// Draws the frame of width columns and height rows on standard output;
// draws nothing if either is zero or negative.
void pelk(int width, int height);

// Draws one row: first, inner glyphs, last, then a line feed.
void draw_line(int width, char first, char inner, char last);

#endif
