#include "inspection/TRegistry.h"

#include "os/Api.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Every path the reader takes is relative to HKEY_LOCAL_MACHINE.
constexpr os::Hkey RootKey = os::kHkeyLocalMachine;

std::string InvalidDataTypeMessage(const std::string& name) {
    return "Invalid data type for '" + name + "'";
}

std::string FailedToGetDataMessage(const std::string& name) {
    return "Failed to get data for '" + name + "'";
}

bool IsStringType(os::Dword type) {
    return type == os::kRegSz || type == os::kRegExpandSz;
}

// The data need not end in a NUL: the text stops at the first one or at the end of the data.
std::string TextUpToNul(const std::vector<std::uint8_t>& data) {
    const auto end = std::ranges::find(data, std::uint8_t{0});
    return std::string(data.begin(), end);
}

} // namespace

TRegistry::TRegistry(ProcessWidth width) : viewFlag_(RegistryViewFlag(width)) {}

TRegistry::~TRegistry() {
    CloseKey();
}

bool TRegistry::KeyExists(const std::string& key) {
    os::Api& api = os::Current();
    os::Hkey probe = 0;
    if (api.RegOpenKeyExA(RootKey, key.c_str(), 0, os::kKeyExistenceTest | viewFlag_, &probe) !=
        os::kErrorSuccess) {
        return false;
    }
    api.RegCloseKey(probe);
    return true;
}

bool TRegistry::OpenKey(const std::string& key) {
    os::Hkey opened = 0;
    if (os::Current().RegOpenKeyExA(RootKey, key.c_str(), 0, os::kKeyAllAccess | viewFlag_,
                                    &opened) != os::kErrorSuccess) {
        return false;
    }
    CloseKey();
    currentKey_ = opened;
    return true;
}

std::string TRegistry::ReadString(const std::string& name) {
    if (currentKey_ == 0) {
        return {};
    }
    os::Api& api = os::Current();
    os::Dword type = os::kRegNone;
    os::Dword size = 0;
    if (api.RegQueryValueExA(currentKey_, name.c_str(), &type, nullptr, &size) !=
            os::kErrorSuccess ||
        size == 0) {
        return {};
    }
    std::vector<std::uint8_t> data(size);
    if (api.RegQueryValueExA(currentKey_, name.c_str(), &type, data.data(), &size) !=
        os::kErrorSuccess) {
        throw ERegistryException(FailedToGetDataMessage(name));
    }
    if (!IsStringType(type)) {
        throw ERegistryException(InvalidDataTypeMessage(name));
    }
    return TextUpToNul(data);
}

void TRegistry::CloseKey() {
    if (currentKey_ != 0) {
        os::Current().RegCloseKey(currentKey_);
        currentKey_ = 0;
    }
}
