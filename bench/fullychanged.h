#pragma once

#include "image/byteimages.h"

// The built-in image, and a copy whose every cartridge byte differs from it: the largest change
// list, patch and list of changes by field there can be.
struct FullyChanged {
    QByteArray pristine = loadBuiltInImage();
    QByteArray work = pristine;
    FullyChanged()
    {
        for (int i = CartridgeStart; i <= CartridgeEnd; ++i)
            work[i] = char(~pristine[i]);
    }
};

inline const FullyChanged &fullyChanged()
{
    static const FullyChanged d;
    return d;
}
