#pragma once
// Reads a text file line by line with the classic text-file rules: a line ends at LF (a CR LF pair
// too); a CR is never part of a line; a Ctrl-Z byte ends the file; the end of the file is no error.
#include <array>
#include <memory>
#include <string>

#include "platform/files.h"

namespace platform {

class TextFileReader {
public:
    explicit TextFileReader(std::unique_ptr<ByteSource> source);

    // The next line without its line end; the empty text once the file has ended.
    [[nodiscard]] std::string ReadLine();
    // Closes the file; throws InOutError when the system fails to.
    void Close();

private:
    // The next byte, or -1 at the end of the file.
    int NextByte();

    std::unique_ptr<ByteSource> source_;
    std::array<char, 4096> buffer_{};
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    bool ended_ = false;
};

}  // namespace platform
