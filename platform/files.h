#pragma once
// Files named by bare relative names, so they resolve against the process's current directory.
#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace platform {

// An open file's bytes. Read and Close throw InOutError with the system code of a failing call.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills the front of buffer; returns how many bytes were read, 0 at the end of the file.
    virtual std::size_t Read(std::span<char> buffer) = 0;
    // Closes the file; a source that is destroyed without Close closes silently.
    virtual void Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when the entry exists and is not a directory.
    [[nodiscard]] virtual bool FileExists(const std::string& name) = 0;
    // Opens for reading only, sharing read access; throws InOutError on failure.
    [[nodiscard]] virtual std::unique_ptr<ByteSource> OpenForReading(const std::string& name) = 0;
};

}  // namespace platform
