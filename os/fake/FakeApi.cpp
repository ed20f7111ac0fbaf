#include "os/fake/FakeApi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <set>
#include <stdexcept>

namespace os::fake {

namespace {

// Win32 codes the fake answers with that the seam's callers never name themselves.
constexpr Long kErrorInvalidFunction = 1;
constexpr Dword kErrorPathNotFound = 3;
constexpr Dword kErrorInvalidHandle = 6;
constexpr Dword kErrorSharingViolation = 32;
constexpr Long kErrorInvalidParameter = 87;
constexpr Dword kErrorDiskFull = 112;
constexpr Dword kErrorModNotFound = 126;
constexpr Dword kErrorProcNotFound = 127;
constexpr Long kErrorMoreData = 234;
constexpr Dword kErrorNoAccess = 998;

constexpr Dword kKeyWow64_64Key = 0x0100;
constexpr Dword kFileAttributeArchive = 0x20;
constexpr Uint kWinExecSucceeded = 33;

constexpr const char* kKernel32 = "kernel32.dll";
constexpr const char* kIsWow64Process = "IsWow64Process";
constexpr Proc kIsWow64ProcessAddress = 0x1;

// A handle carries its kind in its top bits and its number below them, so the journal can
// name any handle, an already closed one included.
enum class Kind : Handle { Key = 1, Module = 2, Process = 3, File = 4 };
constexpr int kKindShift = 28;
constexpr Handle kNumberMask = (Handle{1} << kKindShift) - 1;
constexpr Handle kCurrentProcess = ~Handle{0}; // the pseudo-handle, as Windows gives it
constexpr Hmodule kKernel32Module = (static_cast<Handle>(Kind::Module) << kKindShift) | 1;

Handle MakeHandle(Kind kind, int number) {
    return (static_cast<Handle>(kind) << kKindShift) | static_cast<Handle>(number);
}

// ---- journal formatting -----------------------------------------------------------------

std::string Quote(const char* text) {
    return text == nullptr ? "null" : "\"" + std::string(text) + "\"";
}

std::string Hex(std::uintmax_t value) {
    if (value == 0) {
        return "0";
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    for (; value != 0; value >>= 4) {
        digits.insert(digits.begin(), kDigits[value & 0xF]);
    }
    return "0x" + digits;
}

std::string HandleName(Handle handle) {
    static constexpr std::array<const char*, 5> kKindNames = {"", "hkey", "module", "process",
                                                              "file"};
    if (handle == 0) {
        return "0";
    }
    if (handle == kHkeyLocalMachine) {
        return "HKLM";
    }
    if (handle == kCurrentProcess) {
        return "process#0";
    }
    const Handle kind = handle >> kKindShift;
    if (kind >= 1 && kind < kKindNames.size()) {
        return std::string(kKindNames[kind]) + "#" + std::to_string(handle & kNumberMask);
    }
    return Hex(handle);
}

std::string BoolName(Bool value) {
    switch (value) {
    case 0:
        return "FALSE";
    case 1:
        return "TRUE";
    default:
        return std::to_string(value);
    }
}

std::string CallLine(const char* name, std::initializer_list<std::string> args,
                     const std::string& result) {
    std::string line = std::string(name) + "(";
    for (const std::string& arg : args) {
        if (line.back() != '(') {
            line += ", ";
        }
        line += arg;
    }
    return line + ") -> " + result;
}

// ---- paths ------------------------------------------------------------------------------

std::string Lower(std::string text) {
    // ASCII only: the C library's tolower would follow the host's locale.
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// A path split at "\" with empty components dropped: `key` compares, `display` shows.
struct Path {
    std::vector<std::string> components;

    explicit Path(const char* text) : Path(std::string(text == nullptr ? "" : text)) {}
    explicit Path(const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t end = std::min(text.find('\\', start), text.size());
            if (end > start) {
                components.push_back(text.substr(start, end - start));
            }
            start = end + 1;
        }
    }

    std::string Display(std::size_t count) const {
        std::string out;
        for (std::size_t i = 0; i < count; ++i) {
            out += (i == 0 ? "" : "\\") + components[i];
        }
        return out;
    }
    std::string Key(std::size_t count) const { return Lower(Display(count)); }
    std::string Display() const { return Display(components.size()); }
    std::string Key() const { return Key(components.size()); }
    std::string ParentKey() const { return components.empty() ? "" : Key(components.size() - 1); }
};

// ---- the machine's contents -------------------------------------------------------------

struct RegistryValue {
    Dword type = kRegNone;
    std::string bytes;
};

struct RegistryKey {
    bool denied = false;
    std::map<std::string, RegistryValue> values; // by lower-case name
};

using RegistryView = std::map<std::string, RegistryKey>; // by lower-case path; "" is HKLM

struct OpenRegistryKey {
    View view;
    std::string path;
};

struct FileEntry {
    std::string display;
    bool folder = false;
    std::string content;
};

struct Process {
    std::optional<std::uint64_t> endsAt; // never, when empty
    Dword exitCode = 0;

    bool Ended(Dword now) const { return endsAt.has_value() && now >= *endsAt; }
};

View ViewFor(Dword samDesired, bool processIs32Bit) {
    if ((samDesired & kKeyWow64_32Key) != 0) {
        return View::Registry32;
    }
    if ((samDesired & kKeyWow64_64Key) != 0) {
        return View::Registry64;
    }
    return processIs32Bit ? View::Registry32 : View::Registry64;
}

std::optional<std::string> CopyOf(const char* text) {
    return text == nullptr ? std::nullopt : std::optional<std::string>(text);
}

} // namespace

struct FakeApi::State {
    std::array<RegistryView, 2> registry{RegistryView{{"", {}}}, RegistryView{{"", {}}}};
    std::set<std::string> failingDataQueries;
    std::map<Hkey, OpenRegistryKey> openKeys;
    int keysOpened = 0;

    int kernel32References = 0;

    std::map<std::string, FileEntry> files; // by lower-case path
    std::set<std::string> deniedPaths;
    std::set<std::string> failingCreates;
    std::optional<std::size_t> writeLimit;
    std::size_t bytesWritten = 0;
    std::map<Handle, std::string> openFiles; // handle -> file key
    int filesOpened = 0;

    std::deque<ProcessScript> scripts;
    std::map<Handle, Process> processes; // open process handles
    int processesOpened = 0;
    Process currentProcess{std::nullopt, kStillActive};

    Dword lastError = 0;

    RegistryView& Registry(View view) { return registry[view == View::Registry32 ? 1 : 0]; }

    RegistryKey& AddKey(View view, const std::string& path) {
        const Path parsed(path);
        RegistryView& keys = Registry(view);
        for (std::size_t i = 1; i < parsed.components.size(); ++i) {
            keys[parsed.Key(i)];
        }
        return keys[parsed.Key()];
    }

    const RegistryKey* FindOpenKey(Hkey key) {
        const auto open = openKeys.find(key);
        return open == openKeys.end() ? nullptr : &Registry(open->second.view)[open->second.path];
    }

    Long OpenKey(Hkey root, const char* subKey, View view, Hkey* result) {
        if (result == nullptr) {
            return kErrorInvalidParameter;
        }
        *result = 0;
        if (root != kHkeyLocalMachine) {
            return kErrorInvalidHandle;
        }
        const std::string path = Path(subKey).Key();
        const RegistryView& keys = Registry(view);
        const auto key = keys.find(path);
        if (key == keys.end()) {
            return kErrorFileNotFound;
        }
        if (key->second.denied) {
            return kErrorAccessDenied;
        }
        *result = MakeHandle(Kind::Key, ++keysOpened);
        openKeys[*result] = {view, path};
        return kErrorSuccess;
    }

    Long QueryValue(Hkey key, const char* valueName, Dword* type, std::uint8_t* data,
                    Dword* dataSize) {
        const RegistryKey* open = FindOpenKey(key);
        if (open == nullptr) {
            return kErrorInvalidHandle;
        }
        if (data != nullptr && dataSize == nullptr) {
            return kErrorInvalidParameter;
        }
        const std::string name = Lower(valueName == nullptr ? "" : valueName);
        const auto value = open->values.find(name);
        if (value == open->values.end()) {
            return kErrorFileNotFound;
        }
        if (data != nullptr && failingDataQueries.contains(name)) {
            return kErrorInvalidFunction;
        }
        if (type != nullptr) {
            *type = value->second.type;
        }
        const auto size = static_cast<Dword>(value->second.bytes.size());
        if (data == nullptr) {
            if (dataSize != nullptr) {
                *dataSize = size;
            }
            return kErrorSuccess;
        }
        const Dword room = *dataSize;
        *dataSize = size;
        if (room < size) {
            return kErrorMoreData;
        }
        std::memcpy(data, value->second.bytes.data(), size);
        return kErrorSuccess;
    }

    const FileEntry* FindEntry(const std::string& key) const {
        const auto entry = files.find(key);
        return entry == files.end() ? nullptr : &entry->second;
    }

    bool IsFolderKey(const std::string& key) const {
        const FileEntry* entry = FindEntry(key);
        return entry != nullptr && entry->folder;
    }

    bool IsOpenForWrite(const std::string& key) const {
        return std::ranges::any_of(openFiles, [&](const auto& open) { return open.second == key; });
    }

    // Windows tells a missing name in an existing folder from a path whose folder is missing.
    Dword MissingError(const Path& path) const {
        return !path.components.empty() && IsFolderKey(path.ParentKey()) ? kErrorFileNotFound
                                                                         : kErrorPathNotFound;
    }

    // Every failing call leaves its code, every succeeding one leaves 0.
    Bool Outcome(Dword error) {
        lastError = error;
        return error == 0 ? 1 : 0;
    }

    Dword Attributes(const Path& path) {
        if (deniedPaths.contains(path.Key())) {
            lastError = static_cast<Dword>(kErrorAccessDenied);
            return kInvalidFileAttributes;
        }
        const FileEntry* entry = FindEntry(path.Key());
        if (entry == nullptr) {
            lastError = MissingError(path);
            return kInvalidFileAttributes;
        }
        lastError = 0;
        return entry->folder ? kFileAttributeDirectory : kFileAttributeArchive;
    }

    Dword CreateFolder(const Path& path) {
        if (FindEntry(path.Key()) != nullptr) {
            return kErrorAlreadyExists;
        }
        if (path.components.size() < 2 || !IsFolderKey(path.ParentKey())) {
            return kErrorPathNotFound;
        }
        files[path.Key()] = {path.Display(), true, {}};
        return 0;
    }

    Dword OpenForWrite(const Path& path, Handle& handle) {
        const FileEntry* entry = FindEntry(path.Key());
        if (failingCreates.contains(path.Key()) || (entry != nullptr && entry->folder)) {
            return kErrorAccessDenied;
        }
        if (IsOpenForWrite(path.Key())) {
            return kErrorSharingViolation;
        }
        if (path.components.size() < 2 || !IsFolderKey(path.ParentKey())) {
            return kErrorPathNotFound;
        }
        files[path.Key()] = {path.Display(), false, {}};
        handle = MakeHandle(Kind::File, ++filesOpened);
        openFiles[handle] = path.Key();
        return 0;
    }

    Dword Write(Handle file, const void* data, Dword size, Dword* written) {
        if (written != nullptr) {
            *written = 0;
        }
        const auto open = openFiles.find(file);
        if (open == openFiles.end()) {
            return kErrorInvalidHandle;
        }
        if (writeLimit.has_value() && bytesWritten + size > *writeLimit) {
            return kErrorDiskFull;
        }
        files[open->second].content.append(static_cast<const char*>(data), size);
        bytesWritten += size;
        if (written != nullptr) {
            *written = size;
        }
        return 0;
    }

    // Only files move; a file open for writing can be neither moved nor replaced.
    Dword MoveReplacing(const Path& from, const Path& to) {
        const FileEntry* source = FindEntry(from.Key());
        if (source == nullptr) {
            return MissingError(from);
        }
        const FileEntry* target = FindEntry(to.Key());
        if (source->folder || (target != nullptr && target->folder)) {
            return kErrorAccessDenied;
        }
        if (IsOpenForWrite(from.Key()) || IsOpenForWrite(to.Key())) {
            return kErrorSharingViolation;
        }
        if (to.components.size() < 2 || !IsFolderKey(to.ParentKey())) {
            return kErrorPathNotFound;
        }
        if (from.Key() != to.Key()) {
            std::string content = source->content;
            files.erase(from.Key());
            files[to.Key()] = {to.Display(), false, std::move(content)};
        }
        return 0;
    }

    Dword Delete(const Path& path) {
        const FileEntry* entry = FindEntry(path.Key());
        if (entry == nullptr) {
            return MissingError(path);
        }
        if (entry->folder) {
            return kErrorAccessDenied;
        }
        if (IsOpenForWrite(path.Key())) {
            return kErrorSharingViolation;
        }
        files.erase(path.Key());
        return 0;
    }

    Process* FindProcess(Handle handle) {
        if (handle == kCurrentProcess) {
            return &currentProcess;
        }
        const auto process = processes.find(handle);
        return process == processes.end() ? nullptr : &process->second;
    }

    ProcessScript NextScript(const ProcessScript& fallback) {
        if (scripts.empty()) {
            return fallback;
        }
        ProcessScript script = scripts.front();
        scripts.pop_front();
        return script;
    }

    // Collects the processes behind `handles`; false when one of them is not an open process.
    bool FindProcesses(Dword count, const Handle* handles, std::vector<const Process*>& found) {
        for (Dword i = 0; i < count; ++i) {
            const Process* process = FindProcess(handles[i]);
            if (process == nullptr) {
                lastError = kErrorInvalidHandle;
                return false;
            }
            found.push_back(process);
        }
        return true;
    }
};

namespace {

std::optional<Dword> FirstEnded(const std::vector<const Process*>& processes, Dword now) {
    for (std::size_t i = 0; i < processes.size(); ++i) {
        if (processes[i]->Ended(now)) {
            return kWaitObject0 + static_cast<Dword>(i);
        }
    }
    return std::nullopt;
}

// Waits on the virtual clock for the first of the processes to end, at most `milliseconds`.
// A wait that could never end would hang the program, so it fails the test instead.
Dword WaitForFirst(const std::vector<const Process*>& processes, Dword milliseconds, Dword& now,
                   const std::string& call) {
    if (const auto ended = FirstEnded(processes, now)) {
        return *ended;
    }
    std::optional<std::uint64_t> left;
    for (const Process* process : processes) {
        if (process->endsAt.has_value()) {
            const std::uint64_t remaining = *process->endsAt - now;
            left = left.has_value() ? std::min(*left, remaining) : remaining;
        }
    }
    if (milliseconds == kInfinite && !left.has_value()) {
        throw std::logic_error(call + " would wait forever: nothing it waits for ever happens");
    }
    const std::uint64_t step =
        milliseconds == kInfinite
            ? *left
            : std::min<std::uint64_t>(milliseconds, left.value_or(milliseconds));
    now += static_cast<Dword>(step);
    return FirstEnded(processes, now).value_or(kWaitTimeout);
}

} // namespace

FakeApi::FakeApi() : state_(std::make_unique<State>()) {
    AddFolder("C:");
}

FakeApi::~FakeApi() = default;

// ---- setting the machine up -------------------------------------------------------------

void FakeApi::AddKey(View view, const std::string& path) {
    state_->AddKey(view, path);
}

void FakeApi::SetValue(View view, const std::string& path, const std::string& name, Dword type,
                       const std::string& bytes) {
    state_->AddKey(view, path).values[Lower(name)] = {type, bytes};
}

void FakeApi::SetString(View view, const std::string& path, const std::string& name,
                        const std::string& text, Dword type) {
    SetValue(view, path, name, type, text + '\0');
}

void FakeApi::DenyKey(View view, const std::string& path) {
    state_->AddKey(view, path).denied = true;
}

void FakeApi::FailDataQuery(const std::string& valueName) {
    state_->failingDataQueries.insert(Lower(valueName));
}

void FakeApi::AddFolder(const std::string& path) {
    const Path parsed(path);
    for (std::size_t i = 1; i <= parsed.components.size(); ++i) {
        FileEntry& entry = state_->files[parsed.Key(i)];
        if (entry.display.empty()) {
            entry = {parsed.Display(i), true, {}};
        } else if (!entry.folder) {
            throw std::logic_error("a file stands where the folder " + parsed.Display(i) +
                                   " should be");
        }
    }
}

void FakeApi::AddFile(const std::string& path, const std::string& content) {
    const Path parsed(path);
    if (parsed.components.size() < 2) {
        throw std::logic_error("a file needs a folder: " + path);
    }
    AddFolder(parsed.Display(parsed.components.size() - 1));
    if (state_->IsFolderKey(parsed.Key())) {
        throw std::logic_error("a folder stands where the file " + path + " should be");
    }
    state_->files[parsed.Key()] = {parsed.Display(), false, content};
}

void FakeApi::DenyPath(const std::string& path) {
    state_->deniedPaths.insert(Path(path).Key());
}

void FakeApi::FailCreateFile(const std::string& path) {
    state_->failingCreates.insert(Path(path).Key());
}

void FakeApi::FailWriteAfter(std::size_t bytes) {
    state_->writeLimit = bytes;
}

bool FakeApi::Exists(const std::string& path) const {
    return state_->FindEntry(Path(path).Key()) != nullptr;
}

bool FakeApi::IsFolder(const std::string& path) const {
    return state_->IsFolderKey(Path(path).Key());
}

std::optional<std::string> FakeApi::FileContent(const std::string& path) const {
    const FileEntry* entry = state_->FindEntry(Path(path).Key());
    if (entry == nullptr || entry->folder) {
        return std::nullopt;
    }
    return entry->content;
}

std::vector<std::string> FakeApi::Files() const {
    std::vector<std::string> paths;
    for (const auto& [key, entry] : state_->files) {
        if (!entry.folder) {
            paths.push_back(entry.display);
        }
    }
    std::ranges::sort(paths);
    return paths;
}

void FakeApi::ScriptProcess(ProcessScript script) {
    state_->scripts.push_back(script);
}

// ---- what the program did ---------------------------------------------------------------

void FakeApi::Record(std::string line) {
    calls_.push_back(line);
    if (onCall) {
        // A copy: the hook may record lines of its own, which can move the journal's storage.
        onCall(line);
    }
}

int FakeApi::OpenKeys() const {
    return static_cast<int>(state_->openKeys.size());
}

int FakeApi::LoadedModules() const {
    return state_->kernel32References;
}

int FakeApi::OpenHandles() const {
    return static_cast<int>(state_->openFiles.size() + state_->processes.size());
}

// ---- registry ---------------------------------------------------------------------------

Long FakeApi::RegOpenKeyExA(Hkey key, const char* subKey, Dword options, Dword samDesired,
                            Hkey* result) {
    const Long error = state_->OpenKey(key, subKey, ViewFor(samDesired, processIs32Bit), result);
    Record(CallLine("RegOpenKeyExA",
                    {HandleName(key), Quote(subKey), Hex(options), Hex(samDesired)},
                    std::to_string(error)));
    return error;
}

Long FakeApi::RegQueryValueExA(Hkey key, const char* valueName, Dword* type, std::uint8_t* data,
                               Dword* dataSize) {
    const std::string room =
        data == nullptr || dataSize == nullptr ? "null" : std::to_string(*dataSize);
    const Long error = state_->QueryValue(key, valueName, type, data, dataSize);
    Record(CallLine("RegQueryValueExA", {HandleName(key), Quote(valueName), room},
                    std::to_string(error)));
    return error;
}

Long FakeApi::RegCloseKey(Hkey key) {
    const Long error = key == kHkeyLocalMachine || state_->openKeys.erase(key) == 1
                           ? kErrorSuccess
                           : kErrorInvalidHandle;
    Record(CallLine("RegCloseKey", {HandleName(key)}, std::to_string(error)));
    return error;
}

// ---- modules ----------------------------------------------------------------------------

Hmodule FakeApi::LoadLibraryA(const char* fileName) {
    Hmodule module = 0;
    if (kernel32Loads && fileName != nullptr && Lower(fileName) == kKernel32) {
        ++state_->kernel32References;
        module = kKernel32Module;
        state_->lastError = 0;
    } else {
        state_->lastError = kErrorModNotFound;
    }
    Record(CallLine("LoadLibraryA", {Quote(fileName)}, HandleName(module)));
    return module;
}

Proc FakeApi::GetProcAddress(Hmodule module, const char* procName) {
    Proc proc = 0;
    if (module != kKernel32Module || state_->kernel32References == 0) {
        state_->lastError = kErrorInvalidHandle;
    } else if (hasIsWow64Process && procName != nullptr &&
               std::strcmp(procName, kIsWow64Process) == 0) {
        proc = kIsWow64ProcessAddress;
        state_->lastError = 0;
    } else {
        state_->lastError = kErrorProcNotFound;
    }
    Record(CallLine("GetProcAddress", {HandleName(module), Quote(procName)}, Hex(proc)));
    return proc;
}

Bool FakeApi::FreeLibrary(Hmodule module) {
    Dword error = kErrorInvalidHandle;
    if (module == kKernel32Module && state_->kernel32References > 0) {
        --state_->kernel32References;
        error = 0;
    }
    const Bool result = state_->Outcome(error);
    Record(CallLine("FreeLibrary", {HandleName(module)}, std::to_string(result)));
    return result;
}

Handle FakeApi::GetCurrentProcess() {
    Record(CallLine("GetCurrentProcess", {}, HandleName(kCurrentProcess)));
    return kCurrentProcess;
}

Bool FakeApi::CallIsWow64Process(Proc isWow64Process, Handle process, Bool* wow64) {
    // A real program would jump to a wild address here, or into an unloaded library.
    if (isWow64Process != kIsWow64ProcessAddress) {
        throw std::logic_error("IsWow64Process called through " + Hex(isWow64Process) +
                               ", an address GetProcAddress never gave");
    }
    if (state_->kernel32References == 0) {
        throw std::logic_error("IsWow64Process called after kernel32.dll was freed");
    }
    const std::string passedIn = wow64 == nullptr ? "null" : BoolName(*wow64);
    Dword error = 0;
    if (wow64 == nullptr) {
        error = kErrorNoAccess;
    } else if (isWow64CallFails || state_->FindProcess(process) == nullptr) {
        error = kErrorInvalidHandle;
    } else {
        *wow64 = isWow64Answer;
    }
    const Bool result = state_->Outcome(error);
    Record(CallLine("IsWow64Process", {HandleName(process), passedIn}, std::to_string(result)));
    return result;
}

// ---- files and folders ------------------------------------------------------------------

Dword FakeApi::GetFileAttributesA(const char* path) {
    const Dword attributes = state_->Attributes(Path(path));
    Record(CallLine("GetFileAttributesA", {Quote(path)}, Hex(attributes)));
    return attributes;
}

Bool FakeApi::CreateDirectoryA(const char* path) {
    const Bool result = state_->Outcome(state_->CreateFolder(Path(path)));
    Record(CallLine("CreateDirectoryA", {Quote(path)}, std::to_string(result)));
    return result;
}

Dword FakeApi::GetLastError() {
    Record(CallLine("GetLastError", {}, std::to_string(state_->lastError)));
    return state_->lastError;
}

Handle FakeApi::CreateFileForWriteA(const char* path) {
    Handle file = 0;
    state_->Outcome(state_->OpenForWrite(Path(path), file));
    Record(CallLine("CreateFileForWriteA", {Quote(path)}, HandleName(file)));
    return file;
}

Bool FakeApi::WriteFile(Handle file, const void* data, Dword size, Dword* written) {
    const Bool result = state_->Outcome(state_->Write(file, data, size, written));
    Record(CallLine("WriteFile", {HandleName(file), std::to_string(size)}, std::to_string(result)));
    return result;
}

Bool FakeApi::MoveFileReplaceA(const char* from, const char* to) {
    const Bool result = state_->Outcome(state_->MoveReplacing(Path(from), Path(to)));
    Record(CallLine("MoveFileReplaceA", {Quote(from), Quote(to)}, std::to_string(result)));
    return result;
}

Bool FakeApi::DeleteFileA(const char* path) {
    const Bool result = state_->Outcome(state_->Delete(Path(path)));
    Record(CallLine("DeleteFileA", {Quote(path)}, std::to_string(result)));
    return result;
}

// ---- processes --------------------------------------------------------------------------

Bool FakeApi::ShellExecuteExA(ShellExecuteInfo* info) {
    if (info == nullptr) {
        state_->Outcome(static_cast<Dword>(kErrorInvalidParameter));
        Record("ShellExecuteExA(null) -> 0");
        return 0;
    }
    launches_.push_back({info->cbSize, info->fMask, info->hwnd, CopyOf(info->lpVerb),
                         CopyOf(info->lpFile), CopyOf(info->lpParameters),
                         CopyOf(info->lpDirectory), info->nShow});
    const ProcessScript script = state_->NextScript(defaultProcess);
    info->hProcess = 0;
    Bool result = 0;
    if (!script.launches) {
        result = state_->Outcome(script.launchError);
    } else {
        // Without SEE_MASK_NOCLOSEPROCESS the process runs but its handle is not handed out.
        if ((info->fMask & kSeeMaskNoCloseProcess) != 0) {
            const Handle process = MakeHandle(Kind::Process, ++state_->processesOpened);
            const bool endless = script.runsForMs == kInfinite;
            state_->processes[process] = {
                endless ? std::nullopt
                        : std::optional<std::uint64_t>(std::uint64_t{now_} + script.runsForMs),
                script.exitCode};
            info->hProcess = process;
        }
        result = state_->Outcome(0);
    }
    Record(CallLine("ShellExecuteExA",
                    {Hex(info->fMask), Quote(info->lpFile), Quote(info->lpParameters)},
                    std::to_string(result)));
    return result;
}

Bool FakeApi::GetExitCodeProcess(Handle process, Dword* exitCode) {
    const Process* found = state_->FindProcess(process);
    std::string shown = "FALSE";
    Bool result = 0;
    if (found == nullptr) {
        state_->Outcome(kErrorInvalidHandle);
    } else if (exitCode == nullptr) {
        state_->Outcome(kErrorNoAccess);
    } else {
        *exitCode = found->Ended(now_) ? found->exitCode : kStillActive;
        shown = std::to_string(*exitCode);
        result = state_->Outcome(0);
    }
    Record(CallLine("GetExitCodeProcess", {HandleName(process)}, shown));
    return result;
}

Dword FakeApi::WaitForSingleObject(Handle object, Dword milliseconds) {
    std::vector<const Process*> processes;
    const Dword result = state_->FindProcesses(1, &object, processes)
                             ? WaitForFirst(processes, milliseconds, now_, "WaitForSingleObject")
                             : kWaitFailed;
    Record(CallLine("WaitForSingleObject", {HandleName(object), std::to_string(milliseconds)},
                    std::to_string(result)));
    return result;
}

Dword FakeApi::MsgWaitForMultipleObjects(Dword count, const Handle* handles, Bool waitAll,
                                         Dword milliseconds, Dword wakeMask) {
    if (waitAll != 0) {
        throw std::logic_error("MsgWaitForMultipleObjects waiting for all handles is not modelled");
    }
    std::vector<const Process*> processes;
    Dword result = kWaitFailed;
    if (state_->FindProcesses(count, handles, processes)) {
        // As on Windows, a signalled handle wins over waiting input.
        if (const auto ended = FirstEnded(processes, now_)) {
            result = *ended;
        } else if (wakeMask != 0 && messagesWaiting()) {
            result = kWaitObject0 + count;
        } else {
            result = WaitForFirst(processes, milliseconds, now_, "MsgWaitForMultipleObjects");
        }
    }
    std::string line = "MsgWaitForMultipleObjects(";
    for (Dword i = 0; i < count; ++i) {
        line += HandleName(handles[i]) + ", ";
    }
    Record(line + std::to_string(milliseconds) + ") -> " + std::to_string(result));
    return result;
}

Uint FakeApi::WinExec(const char* cmdLine, Uint cmdShow) {
    winExecs_.emplace_back(cmdLine == nullptr ? "" : cmdLine, cmdShow);
    Record(CallLine("WinExec", {Quote(cmdLine), std::to_string(cmdShow)},
                    std::to_string(kWinExecSucceeded)));
    return kWinExecSucceeded;
}

Bool FakeApi::CloseHandle(Handle object) {
    const bool closes = object == kCurrentProcess || state_->openFiles.erase(object) == 1 ||
                        state_->processes.erase(object) == 1;
    const Bool result = state_->Outcome(closes ? 0 : kErrorInvalidHandle);
    Record(CallLine("CloseHandle", {HandleName(object)}, std::to_string(result)));
    return result;
}

void FakeApi::Sleep(Dword milliseconds) {
    if (milliseconds == kInfinite) {
        throw std::logic_error("Sleep(INFINITE) would never return");
    }
    now_ += milliseconds;
    Record("Sleep(" + std::to_string(milliseconds) + ")");
}

// ---- installing the fake ----------------------------------------------------------------

ScopedFakeApi::ScopedFakeApi() : previous_(SetCurrent(&fake_)) {}

ScopedFakeApi::~ScopedFakeApi() {
    SetCurrent(previous_);
}

} // namespace os::fake
