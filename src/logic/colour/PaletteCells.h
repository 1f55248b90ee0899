#pragma once

// The palette grid of the colour picker: 224 cells of 15 x 15 pixels in 14
// rows of 16, 3 pixels apart, numbered from 1 at the top left.
namespace PaletteCells {

constexpr int count = 224;

struct Rect {
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const Rect&) const = default;
};

// Cell 1..count.
Rect cellRect(int cell);

// The first cell that holds (x, y) strictly inside its bounds; 0 on an
// outline, in a gap or outside the grid.
int cellAt(int x, int y);

}  // namespace PaletteCells
