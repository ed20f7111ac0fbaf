#include "prerequisites/TPartFile.h"

#include "os/Api.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr const char* PartSuffix = ".part";

// The most one WriteFile call is handed, so that a block's length always fits its count.
constexpr std::size_t LargestWrite = 1 << 20;

} // namespace

TPartFile::TPartFile(const std::string& targetPath)
    : targetPath_(targetPath), partPath_(targetPath + PartSuffix) {}

TPartFile::~TPartFile() {
    os::Api& api = os::Current();
    if (file_ != 0) {
        api.CloseHandle(file_);
    }
    if (created_ && !committed_) {
        api.DeleteFileA(partPath_.c_str());
    }
}

void TPartFile::Write(std::string_view block) {
    if (!created_) {
        Create();
    }
    while (!block.empty()) {
        const auto size = static_cast<os::Dword>(std::min(block.size(), LargestWrite));
        os::Dword written = 0;
        if (!os::Current().WriteFile(file_, block.data(), size, &written) || written == 0) {
            throw std::runtime_error("cannot write " + partPath_);
        }
        block.remove_prefix(std::min<std::size_t>(written, size));
    }
}

void TPartFile::Commit() {
    if (!created_) {
        Create(); // an empty body is an empty file
    }
    Close();
    if (!os::Current().MoveFileReplaceA(partPath_.c_str(), targetPath_.c_str())) {
        throw std::runtime_error("cannot move " + partPath_ + " to " + targetPath_);
    }
    committed_ = true;
}

void TPartFile::Create() {
    file_ = os::Current().CreateFileForWriteA(partPath_.c_str());
    if (file_ == 0) {
        throw std::runtime_error("cannot create " + partPath_);
    }
    created_ = true;
}

void TPartFile::Close() {
    const os::Bool closed = os::Current().CloseHandle(file_);
    file_ = 0;
    if (!closed) {
        throw std::runtime_error("cannot close " + partPath_);
    }
}
