#pragma once

#include "MoConvert.h"

// Colour reduction by recursive variance splitting. Low works on 5-6-5 colour cells
// weighted by their pixels; High splits all pixels and maps them through the split tree.
TMoDIBInfo ConvertTrueColorTo8BitRGBLow(const TMoDIBInfo& source, const TProgressStep& step);
TMoDIBInfo ConvertTrueColorTo4BitRGBLow(const TMoDIBInfo& source, const TProgressStep& step);
TMoDIBInfo ConvertTrueColorTo8BitRGBHigh(const TMoDIBInfo& source, const TProgressStep& step);
TMoDIBInfo ConvertTrueColorTo4BitRGBHigh(const TMoDIBInfo& source, const TProgressStep& step);
// The colour-table entries in use, weighted by their pixels, split into at most 16.
TMoDIBInfo Convert8BitRGBTo4BitRGB(const TMoDIBInfo& source, const TProgressStep& step);
