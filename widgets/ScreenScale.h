#pragma once

// Sizes designed at 96 dots per inch, scaled to the screen:
// v * screen pixels per inch / 96, an integer multiply-divide rounded to the
// nearest whole pixel. Without a screen the scale is 1.
int ScaleToScreen(int value);
// The same with an explicit resolution in pixels per inch.
int ScaleToScreen(int value, int pixelsPerInch);
