#pragma once

#include "toolkit/Graphics.h"
#include "toolkit/win32/Gdi.h"
#include "toolkit/win32/Picture.h"

namespace toolkit::win32 {

// The region of the picture's pixels that are not `transparent`, in the picture's coordinates.
OwnedRegion WindowShape(const Picture& picture, TColor transparent);

} // namespace toolkit::win32
