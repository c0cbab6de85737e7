#pragma once

#include "MoDIBTypes.h"

#include <functional>

// Called once per finished colour box of a colour reduction.
using TProgressStep = std::function<void()>;

// How a conversion narrows colours: 0 fast (Low), 1 fine (High); the colour kept white
// at 1 bit ($00BBGGRR); the progress callback of colour reductions.
struct TMoConvertOptions {
    int ConvertMode = 0;
    quint32 MaskColor = 0xFFFFFF;
    TProgressStep Step;
};

// Runs the chain of conversions from the record's pixel format to `format`.
TMoDIBInfo ConvertPixelFormat(const TMoDIBInfo& source, TMoPixelFormat format,
                              const TMoConvertOptions& options);

// Widening: each index copied into the wider field; the colour table stays.
TMoDIBInfo Convert1BitRGBTo4BitRGB(const TMoDIBInfo& source);
TMoDIBInfo Convert1BitRGBTo8BitRGB(const TMoDIBInfo& source);
TMoDIBInfo Convert4BitRGBTo8BitRGB(const TMoDIBInfo& source);
// Each pixel becomes the blue, green and red of its colour-table entry.
TMoDIBInfo Convert1BitRGBToTrueColor(const TMoDIBInfo& source);
TMoDIBInfo Convert4BitRGBToTrueColor(const TMoDIBInfo& source);
TMoDIBInfo Convert8BitRGBToTrueColor(const TMoDIBInfo& source);
// Pixels of exactly the mask colour become white, all others black.
TMoDIBInfo ConvertTrueColorTo1BitRGB(const TMoDIBInfo& source, quint32 maskColor);
TMoDIBInfo Convert8BitTo1BitRGB(const TMoDIBInfo& source, quint32 maskColor);
TMoDIBInfo Convert4BitRGBTo1BitRGB(const TMoDIBInfo& source, quint32 maskColor);
