#pragma once

// The window designs ask for the classic desktop font families. Where one is
// not installed, this points it at Liberation Sans, whose widths keep the
// design's labels whole; designFont() then asks for that family itself.
void installDesignFontSubstitutes();
