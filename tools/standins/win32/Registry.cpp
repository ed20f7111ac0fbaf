#include "tools/standins/win32/Registry.h"

#include "tools/standins/win32/StandIn.h"

namespace standins {

namespace {

class CreatedKey {
public:
    CreatedKey(RegistryView view, const std::wstring& path) : path_(path) {
        const LONG error =
            ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE | static_cast<REGSAM>(view), nullptr, &key_, nullptr);
        if (error != ERROR_SUCCESS) {
            ThrowCallFailed(L"RegCreateKeyExW HKLM\\" + path, static_cast<DWORD>(error));
        }
    }
    ~CreatedKey() { ::RegCloseKey(key_); }
    CreatedKey(const CreatedKey&) = delete;
    CreatedKey& operator=(const CreatedKey&) = delete;

    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        const LONG error =
            ::RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
        if (error != ERROR_SUCCESS) {
            ThrowCallFailed(L"RegSetValueExW HKLM\\" + path_ + L"\\" + name,
                            static_cast<DWORD>(error));
        }
    }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

} // namespace

void WriteString(RegistryView view, const std::wstring& key, const wchar_t* name,
                 const std::wstring& value) {
    const auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    CreatedKey(view, key).Set(name, REG_SZ, value.c_str(), size);
}

void WriteDword(RegistryView view, const std::wstring& key, const wchar_t* name, DWORD value) {
    CreatedKey(view, key).Set(name, REG_DWORD, &value, sizeof value);
}

} // namespace standins
