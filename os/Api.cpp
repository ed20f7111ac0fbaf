#include "os/Api.h"

#include <stdexcept>
#include <utility>

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

Api* SetCurrent(Api* api) {
    return std::exchange(current, api);
}

} // namespace os
