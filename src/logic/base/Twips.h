#pragma once

// Layout values are in twips; the screen has 15 twips per pixel (96 dpi).
constexpr int twipsPerPixel = 15;

constexpr int px(int twips)
{
    // Round half away from zero, so that -840 and 840 map symmetrically.
    return twips >= 0 ? (twips + twipsPerPixel / 2) / twipsPerPixel
                      : -((-twips + twipsPerPixel / 2) / twipsPerPixel);
}
