// Stand-in for "SQLEXPR_x64_ENU.exe", SQL Server 2016 Express setup. Installing the default
// instance copies this program into the instance's Binn folder as sqlservr.exe, registers it as
// the MSSQLSERVER service, started with Windows, starts it, and writes the instance's keys where
// a 64-bit SQL Server 2016 writes them: in the 64-bit registry view. Started by the service
// manager with "-sMSSQLSERVER", the same program is the service.

#include "tools/standins/win32/Registry.h"
#include "tools/standins/win32/SqlServerService.h"
#include "tools/standins/win32/StandIn.h"

#include <memory>
#include <shellapi.h>
#include <string>

namespace {

constexpr const wchar_t* Name = L"SQLEXPR_x64_ENU";
constexpr const wchar_t* Version = L"13.0.1601.5";
constexpr const wchar_t* InstanceId = L"MSSQL13.MSSQLSERVER";
constexpr const wchar_t* ServerKey = L"SOFTWARE\\Microsoft\\Microsoft SQL Server";
constexpr const wchar_t* InstallFolders[] = {
    L"C:\\Program Files\\Microsoft SQL Server",
    L"C:\\Program Files\\Microsoft SQL Server\\MSSQL13.MSSQLSERVER",
    L"C:\\Program Files\\Microsoft SQL Server\\MSSQL13.MSSQLSERVER\\MSSQL",
    L"C:\\Program Files\\Microsoft SQL Server\\MSSQL13.MSSQLSERVER\\MSSQL\\Binn",
};
constexpr DWORD ServiceStartDeadlineMs = 60000;
constexpr DWORD ServiceStatePollMs = 100;
constexpr const wchar_t* ServerProgram =
    L"C:\\Program Files\\Microsoft SQL Server\\MSSQL13.MSSQLSERVER\\MSSQL\\Binn\\sqlservr.exe";

class ServiceManagerHandle {
public:
    explicit ServiceManagerHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceManagerHandle() {
        if (handle_ != nullptr) {
            ::CloseServiceHandle(handle_);
        }
    }
    ServiceManagerHandle(const ServiceManagerHandle&) = delete;
    ServiceManagerHandle& operator=(const ServiceManagerHandle&) = delete;
    SC_HANDLE Get() const { return handle_; }

private:
    SC_HANDLE handle_;
};

bool StartedAsService() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> arguments(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    for (int i = 1; arguments && i < count; ++i) {
        if (std::wstring(arguments.get()[i]) == standins::ServiceArgument) {
            return true;
        }
    }
    return false;
}

void CopyServerProgram() {
    for (const wchar_t* folder : InstallFolders) {
        if (!::CreateDirectoryW(folder, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            standins::ThrowCallFailed(std::wstring(L"CreateDirectoryW ") + folder,
                                      ::GetLastError());
        }
    }
    wchar_t setup[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, setup, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        standins::ThrowCallFailed(L"GetModuleFileNameW", ::GetLastError());
    }
    // An existing instance keeps its program, which may be running.
    if (!::CopyFileW(setup, ServerProgram, TRUE) && ::GetLastError() != ERROR_FILE_EXISTS) {
        standins::ThrowCallFailed(std::wstring(L"CopyFileW to ") + ServerProgram, ::GetLastError());
    }
}

// A second install over an existing instance keeps its service as it is.
SC_HANDLE CreateOrOpenService(SC_HANDLE manager) {
    const std::wstring command =
        std::wstring(L"\"") + ServerProgram + L"\" " + standins::ServiceArgument;
    const SC_HANDLE created = ::CreateServiceW(
        manager, standins::ServiceName, L"SQL Server (MSSQLSERVER)", SERVICE_ALL_ACCESS,
        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(),
        nullptr, nullptr, nullptr, nullptr, nullptr);
    if (created != nullptr || ::GetLastError() != ERROR_SERVICE_EXISTS) {
        return created;
    }
    return ::OpenServiceW(manager, standins::ServiceName, SERVICE_ALL_ACCESS);
}

DWORD ServiceState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(service, &status)) {
        standins::ThrowCallFailed(L"QueryServiceStatus MSSQLSERVER", ::GetLastError());
    }
    return status.dwCurrentState;
}

// Setup ends with the instance running, as the real one does.
void StartService(SC_HANDLE service) {
    if (!::StartServiceW(service, 0, nullptr) &&
        ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        standins::ThrowCallFailed(L"StartServiceW MSSQLSERVER", ::GetLastError());
    }
    const ULONGLONG deadline = ::GetTickCount64() + ServiceStartDeadlineMs;
    while (ServiceState(service) != SERVICE_RUNNING) {
        if (::GetTickCount64() >= deadline) {
            throw standins::Failure(L"the MSSQLSERVER service did not start");
        }
        ::Sleep(ServiceStatePollMs);
    }
}

void RegisterAndStartService() {
    const ServiceManagerHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager.Get() == nullptr) {
        standins::ThrowCallFailed(L"OpenSCManagerW", ::GetLastError());
    }
    const ServiceManagerHandle service(CreateOrOpenService(manager.Get()));
    if (service.Get() == nullptr) {
        standins::ThrowCallFailed(L"CreateServiceW MSSQLSERVER", ::GetLastError());
    }
    StartService(service.Get());
}

void WriteInstanceKeys() {
    using standins::RegistryView;
    const std::wstring server = ServerKey;
    const std::wstring instance = server + L"\\" + InstanceId;
    standins::WriteString(RegistryView::Bit64, server + L"\\Instance Names\\SQL",
                          standins::ServiceName, InstanceId);
    standins::WriteString(RegistryView::Bit64, instance + L"\\Setup", L"PatchLevel", Version);
    standins::WriteString(RegistryView::Bit64, instance + L"\\Setup", L"Version", Version);
    standins::WriteString(RegistryView::Bit64, instance + L"\\Setup", L"Edition",
                          L"Express Edition (64-bit)");
    standins::WriteString(RegistryView::Bit64, instance + L"\\MSSQLServer\\CurrentVersion",
                          L"CurrentVersion", Version);
}

void InstallDefaultInstance() {
    CopyServerProgram();
    WriteInstanceKeys();
    RegisterAndStartService();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (StartedAsService()) {
        return static_cast<int>(standins::RunSqlServerService());
    }
    // Done; done, and Windows must restart to finish.
    const standins::Outcome outcome{.UsualExitCode = 0, .SuccessExitCodes = {0, 3010}};
    return static_cast<int>(standins::RunInstaller(Name, outcome, InstallDefaultInstance));
}
