#include "logic/colour/PaletteCells.h"

namespace PaletteCells {

Rect cellRect(int cell)
{
    const int column = (cell - 1) % 16;
    const int row = (cell - 1) / 16;
    const int left = 10 + 18 * column;
    const int top = 10 + 18 * row;
    return {left, top, left + 15, top + 15};
}

int cellAt(int x, int y)
{
    for (int i = 1; i <= count; ++i) {
        const Rect r = cellRect(i);
        if (r.left < x && x < r.right && r.top < y && y < r.bottom)
            return i;
    }
    return 0;
}

}  // namespace PaletteCells
