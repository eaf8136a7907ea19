#pragma once
#include "VelFont.h"

// One third of the platform's double-click rectangle: a finger's tap tolerance.
extern SIZE DoubleClickTolerance;

// The default theme's eight fonts: text, item, group header, toolbar button,
// toolbar text, key, key sub-label, large.
enum { kDefaultFontCount = 8 };
extern VelFont DefaultFonts[kDefaultFontCount];
