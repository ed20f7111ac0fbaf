#pragma once
// Whether this program runs as a 32-bit or a 64-bit process. The probes take it as a parameter
// defaulting to this build's own width, so tests can run the logic of either build. Only the win64
// build is a 64-bit process; the native build models the shipping 32-bit program.

#include "os/Types.h"

enum class ProcessWidth { Bits32, Bits64 };

#if defined(_WIN64)
inline constexpr ProcessWidth ThisProcessWidth = ProcessWidth::Bits64;
#else
inline constexpr ProcessWidth ThisProcessWidth = ProcessWidth::Bits32;
#endif

// A 32-bit process reads the 32-bit registry view by default; a 64-bit one asks for it on every
// open, so that both builds see the keys the 32-bit installers wrote.
constexpr os::Dword RegistryViewFlag(ProcessWidth width) {
    return width == ProcessWidth::Bits64 ? os::kKeyWow64_32Key : 0;
}
