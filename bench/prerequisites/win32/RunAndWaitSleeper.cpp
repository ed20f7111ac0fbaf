// The stand-in installer: sleeps for the milliseconds it is given, then ends with 0.

#include <cstdlib>
#include <windows.h>

int main(int argc, char** argv) {
    ::Sleep(argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 10000);
    return 0;
}
