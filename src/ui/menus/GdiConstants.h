#pragma once

#include <cstdint>

// The numbering of drawing operations that the menu code is written in:
// raster operations, text flags, edge and frame-control flags.
namespace Gdi {

// Raster operations of block copies.
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t SRCERASE = 0x00440328;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;
inline constexpr std::uint32_t DSTANDNOTSRC = 0x00220326;

// Line drawing modes.
inline constexpr int R2_BLACK = 1;
inline constexpr int R2_NOTMERGEPEN = 2;
inline constexpr int R2_MASKNOTPEN = 3;
inline constexpr int R2_NOTCOPYPEN = 4;
inline constexpr int R2_MASKPENNOT = 5;
inline constexpr int R2_NOT = 6;
inline constexpr int R2_XORPEN = 7;
inline constexpr int R2_NOTMASKPEN = 8;
inline constexpr int R2_MASKPEN = 9;
inline constexpr int R2_NOTXORPEN = 10;
inline constexpr int R2_NOP = 11;
inline constexpr int R2_MERGENOTPEN = 12;
inline constexpr int R2_COPYPEN = 13;
inline constexpr int R2_MERGEPENNOT = 14;
inline constexpr int R2_MERGEPEN = 15;
inline constexpr int R2_WHITE = 16;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Text drawing flags.
inline constexpr int DT_LEFT = 0x0;
inline constexpr int DT_CENTER = 0x1;
inline constexpr int DT_RIGHT = 0x2;
inline constexpr int DT_VCENTER = 0x4;
inline constexpr int DT_BOTTOM = 0x8;
inline constexpr int DT_WORDBREAK = 0x10;
inline constexpr int DT_SINGLELINE = 0x20;
inline constexpr int DT_EXPANDTABS = 0x40;
inline constexpr int DT_NOCLIP = 0x100;
inline constexpr int DT_CALCRECT = 0x400;
inline constexpr int DT_NOPREFIX = 0x800;
inline constexpr int DT_RTLREADING = 0x20000;

// Positioned text options.
inline constexpr int ETO_OPAQUE = 0x2;
inline constexpr int ETO_CLIPPED = 0x4;

// Edges.
inline constexpr int BDR_RAISEDOUTER = 0x1;
inline constexpr int BDR_SUNKENOUTER = 0x2;
inline constexpr int BDR_RAISEDINNER = 0x4;
inline constexpr int BDR_SUNKENINNER = 0x8;
inline constexpr int EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr int EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr int EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr int EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr int BF_LEFT = 0x1;
inline constexpr int BF_TOP = 0x2;
inline constexpr int BF_RIGHT = 0x4;
inline constexpr int BF_BOTTOM = 0x8;
inline constexpr int BF_RECT = 0xF;
inline constexpr int BF_MIDDLE = 0x800;
inline constexpr int BF_SOFT = 0x1000;
inline constexpr int BF_FLAT = 0x4000;
inline constexpr int BF_MONO = 0x8000;

// Frame controls.
inline constexpr int DFC_MENU = 2;
inline constexpr int DFC_BUTTON = 4;
inline constexpr int DFCS_MENUARROW = 0x0;
inline constexpr int DFCS_MENUCHECK = 0x1;
inline constexpr int DFCS_MENUBULLET = 0x2;
inline constexpr int DFCS_BUTTONCHECK = 0x0;
inline constexpr int DFCS_BUTTONRADIO = 0x4;
inline constexpr int DFCS_BUTTONPUSH = 0x10;
inline constexpr int DFCS_INACTIVE = 0x100;
inline constexpr int DFCS_PUSHED = 0x200;
inline constexpr int DFCS_CHECKED = 0x400;

// Brush and pen styles.
inline constexpr int BS_SOLID = 0;
inline constexpr int BS_NULL = 1;
inline constexpr int BS_HATCHED = 2;
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;

}  // namespace Gdi
