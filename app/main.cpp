// The program's main block: bring the application up, make the main window, run the message
// loop until the application terminates.

#include "app/Unit1.h"
#include "os/Api.h"
#include "os/win32/Win32Api.h"
#include "toolkit/TApplication.h"
#include "toolkit/win32/Win32Backend.h"

// The entry point Windows calls, declared as the system headers do (WINAPI, an opaque instance
// handle), so that no Windows header is needed outside the win32 folders. Its arguments go
// unused: the program takes none.
struct HINSTANCE__;
extern "C" int __stdcall WinMain(HINSTANCE__*, HINSTANCE__*, char*, int) {
    os::win32::Win32Api machine;
    os::SetCurrent(&machine);
    // The backend outlives the application, which hands it the form to destroy.
    Win32Backend backend;
    TApplication application(backend);

    Application->Initialize();
    Application->SetTitle("Kolvera MsSQL 2008 Kurulum");
    Application->CreateForm(Form1);
    Application->Run();
    return 0;
}
