#pragma once

#include "os/Types.h"

#include <string>
#include <string_view>

// A download on its way to disk. The body goes into a file beside the target, named like it
// with ".part" appended, and replaces the target only once it is complete: the target never
// holds part of a file, and a download that fails leaves no file behind.
class TPartFile {
public:
    explicit TPartFile(const std::string& targetPath);
    // Removes the file unless it was committed.
    ~TPartFile();
    TPartFile(const TPartFile&) = delete;
    TPartFile& operator=(const TPartFile&) = delete;

    // Appends a block of the body; the file is made with the first one. Throws when it fails.
    void Write(std::string_view block);
    // Closes the file and moves it over the target. Throws when either fails.
    void Commit();

private:
    void Create();
    void Close();

    std::string targetPath_;
    std::string partPath_;
    os::Handle file_ = 0;
    bool created_ = false;
    bool committed_ = false;
};
