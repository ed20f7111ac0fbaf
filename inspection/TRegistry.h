#pragma once
// A short-lived reader of HKEY_LOCAL_MACHINE with at most one current key, which it closes when
// another key becomes current and when it is destroyed.

#include "inspection/ProcessWidth.h"
#include "os/Types.h"

#include <stdexcept>
#include <string>

// A registry value that cannot be read as asked; its text is shown to the user as it is.
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
public:
    explicit TRegistry(ProcessWidth width = ThisProcessWidth);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Opens the key with the rights of an existence test and closes it again at once; the
    // current key is left as it is.
    bool KeyExists(const std::string& key);
    // Opens an existing key with full access and makes it the current key; never creates one.
    // On failure the current key is left as it is.
    bool OpenKey(const std::string& key);
    // The value of the current key as text: empty when there is no current key, the value is
    // missing or holds no data; the string up to its first NUL for REG_SZ and REG_EXPAND_SZ,
    // unexpanded. Raises ERegistryException for any other type and when the data cannot be read.
    std::string ReadString(const std::string& name);
    void CloseKey();

private:
    os::Dword viewFlag_;
    os::Hkey currentKey_ = 0;
};
