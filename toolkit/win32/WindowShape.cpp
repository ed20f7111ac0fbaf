#include "toolkit/win32/WindowShape.h"

#include <cstring>
#include <stdexcept>
#include <vector>

namespace toolkit::win32 {

namespace {

// Each horizontal run of kept pixels becomes one rectangle of one row.
std::vector<RECT> KeptRuns(const Picture& picture, TColor transparent) {
    std::vector<RECT> runs;
    for (int y = 0; y < picture.Height(); ++y) {
        int x = 0;
        while (x < picture.Width()) {
            while (x < picture.Width() && picture.ColorAt(x, y) == transparent) {
                ++x;
            }
            const int start = x;
            while (x < picture.Width() && !(picture.ColorAt(x, y) == transparent)) {
                ++x;
            }
            if (x > start) {
                runs.push_back(RECT{start, y, x, y + 1});
            }
        }
    }
    return runs;
}

} // namespace

OwnedRegion WindowShape(const Picture& picture, TColor transparent) {
    const std::vector<RECT> runs = KeptRuns(picture, transparent);
    const std::size_t rectBytes = runs.size() * sizeof(RECT);
    std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + rectBytes);
    RGNDATAHEADER header{};
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(runs.size());
    header.nRgnSize = static_cast<DWORD>(rectBytes);
    header.rcBound = RECT{0, 0, picture.Width(), picture.Height()};
    std::memcpy(buffer.data(), &header, sizeof(header));
    std::memcpy(buffer.data() + sizeof(header), runs.data(), rectBytes);
    OwnedRegion region(::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                                         reinterpret_cast<const RGNDATA*>(buffer.data())));
    if (!region.Get()) {
        throw std::runtime_error("cannot make the window's shape");
    }
    return region;
}

} // namespace toolkit::win32
