#pragma once
// Whether this program runs as a 32-bit or a 64-bit process. The probes take it as a parameter
// defaulting to this build's own width, so tests can run the logic of either build.

#include "os/Types.h"

enum class ProcessWidth { Bits32, Bits64 };

inline constexpr ProcessWidth ThisProcessWidth =
    sizeof(void*) == 8 ? ProcessWidth::Bits64 : ProcessWidth::Bits32;

// A 32-bit process reads the 32-bit registry view by default; a 64-bit one asks for it on every
// open, so that both builds see the keys the 32-bit installers wrote.
constexpr os::Dword RegistryViewFlag(ProcessWidth width) {
    return width == ProcessWidth::Bits64 ? os::kKeyWow64_32Key : 0;
}
