#include <windows.h>

#include "platform/io_error.h"
#include "platform/win32/system_win.h"
#include "platform/win32/unique_handle_win.h"

namespace platform::win32 {
namespace {

class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(UniqueKernelHandle file) : file_(std::move(file)) {}

    std::size_t Read(std::span<char> buffer) override {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(buffer.size() > 0x10000 ? 0x10000 : buffer.size());
        if (!ReadFile(file_.Get(), buffer.data(), wanted, &read, nullptr)) throw InOutError(GetLastError());
        return read;
    }

    void Close() override {
        // Released first, so a failed close is not tried again when the source is destroyed.
        if (!CloseHandle(file_.Release())) throw InOutError(GetLastError());
    }

private:
    UniqueKernelHandle file_;
};

}  // namespace

bool FileSystemWin::FileExists(const std::string& name) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<ByteSource> FileSystemWin::OpenForReading(const std::string& name) {
    UniqueKernelHandle file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw InOutError(GetLastError());
    return std::make_unique<FileByteSource>(std::move(file));
}

}  // namespace platform::win32
