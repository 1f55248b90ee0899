#pragma once

// The window designs ask for the classic desktop font families. Where one is
// not installed and fontconfig knows no metric-compatible face for it, this
// points it at Liberation Sans, whose widths keep the design's labels whole.
void installDesignFontSubstitutes();
