#pragma once

#include <QRect>
#include <QSize>

class QPainter;
class cMenus;
struct clsStoreMenu;

// How large a menu item is and how it looks, in the engine's two looks:
// style 0, raised and sunken in the engine's colours; style 1, flat with a
// shaded icon column. Each item is drawn on a fresh off-screen surface and
// copied to the menu in one piece.
namespace MenuItemPainter {

QSize measure(const cMenus& engine, const clsStoreMenu& item);
void draw(const cMenus& engine, const clsStoreMenu& item, QPainter* target, const QRect& rect, int state);

// The colours of the flat look, 0x00BBGGRR.
inline constexpr std::int32_t iconColumn = 0xD6DBDE;
inline constexpr std::int32_t itemBackground = 0xF7FBFF;
inline constexpr std::int32_t selectionFill = 0xD6BEB5;
inline constexpr std::int32_t selectionBorder = 0x6B2408;
inline constexpr std::int32_t checkBoxFill = 0xDED7D6;
inline constexpr std::int32_t shadow = static_cast<std::int32_t>(0x80000010);
inline constexpr std::int32_t light = static_cast<std::int32_t>(0x80000014);
inline constexpr std::int32_t face = static_cast<std::int32_t>(0x8000000F);

}  // namespace MenuItemPainter
