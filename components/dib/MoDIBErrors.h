#pragma once

#include "base/SysUtils.h"

// The bitmap library's failures; each message begins with the routine's name and a colon.
class EMoDIBError : public Exception {
public:
    using Exception::Exception;
};

// Pixel data or a header that no image can be made of.
class EMoDIBInvalidDIB : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// A file that is not a BMP file.
class EMoDIBInvalidDIBFile : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// A size or depth that an image cannot take.
class EMoDIBInvalidDIBPara : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// A conversion handed pixels of the wrong depth or encoding.
class EMoDIBBadDIBType : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// A palette whose entries cannot be taken over.
class EMoDIBInvalidPalette : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// Run-length encoding that would not make the pixels smaller.
class EMoDIBCompressionFailed : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// A canvas that cannot be put onto the image.
class EMoDIBCanvasFailed : public EMoDIBError {
public:
    using EMoDIBError::EMoDIBError;
};

// A resource of the system (a memory mapping, a palette, a device context) that could not be
// had.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};
