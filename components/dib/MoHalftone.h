#pragma once

#include "MoDIBTypes.h"

// Error diffusion of unencoded pixels onto the fixed 215-colour table (8 bits per pixel)
// or onto black and white (1 bit per pixel). Rows keep their stored order.
TMoDIBInfo ConvertToHalfTone(const TMoDIBInfo& source);
TMoDIBInfo ConvertToHalfToneBW(const TMoDIBInfo& source);

// The 215 colours: levels of red, green and blue, then maroon, olive, purple, silver, grey.
const TColorTable& HalftoneColors();
