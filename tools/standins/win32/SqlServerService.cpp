#include "tools/standins/win32/SqlServerService.h"

#include "tools/standins/win32/StandIn.h"

namespace standins {

namespace {

constexpr const wchar_t* Name = L"sqlservr";

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopRequested = nullptr;

void ReportState(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 5000;
    ::SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI HandleControl(DWORD control, DWORD, void*, void*) {
    if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_SHUTDOWN) {
        return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
    }
    ReportState(SERVICE_STOP_PENDING);
    ::SetEvent(stopRequested);
    return NO_ERROR;
}

void RaiseFlag() {
    const HANDLE flag = ::CreateFileW(ServiceFlagFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (flag == INVALID_HANDLE_VALUE) {
        RecordLine(Name, L"error cannot create the service flag, error " +
                             std::to_wstring(::GetLastError()));
        return;
    }
    ::CloseHandle(flag);
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    statusHandle = ::RegisterServiceCtrlHandlerExW(ServiceName, HandleControl, nullptr);
    if (statusHandle == nullptr) {
        RecordLine(Name, L"error RegisterServiceCtrlHandlerExW failed with error " +
                             std::to_wstring(::GetLastError()));
        return;
    }
    ReportState(SERVICE_START_PENDING);
    RaiseFlag();
    RecordLine(Name, L"running");
    ReportState(SERVICE_RUNNING);
    ::WaitForSingleObject(stopRequested, INFINITE);
    ::DeleteFileW(ServiceFlagFile);
    RecordLine(Name, L"stopped");
    ReportState(SERVICE_STOPPED);
}

} // namespace

DWORD RunSqlServerService() {
    RecordStart(Name);
    stopRequested = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The table's type wants a writable name; the dispatcher only reads it.
    const SERVICE_TABLE_ENTRYW services[] = {{const_cast<LPWSTR>(ServiceName), ServiceMain},
                                             {nullptr, nullptr}};
    DWORD exitCode = 0;
    if (!::StartServiceCtrlDispatcherW(services)) {
        exitCode = ::GetLastError();
        RecordLine(Name, L"error StartServiceCtrlDispatcherW failed with error " +
                             std::to_wstring(exitCode));
    }
    ::CloseHandle(stopRequested);
    return exitCode;
}

} // namespace standins
