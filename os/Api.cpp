#include "os/Api.h"

#include <stdexcept>

namespace os {

namespace {
Api* current = nullptr;
}

Api& Current() {
    if (current == nullptr) {
        throw std::logic_error("no operating system interface installed");
    }
    return *current;
}

void SetCurrent(Api* api) { current = api; }

} // namespace os
