#include "platform/text_file.h"

#include <utility>

namespace platform {
namespace {
constexpr int kEndOfFile = -1;
constexpr char kCtrlZ = 26;
}  // namespace

TextFileReader::TextFileReader(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

int TextFileReader::NextByte() {
    if (ended_) return kEndOfFile;
    if (position_ == filled_) {
        filled_ = source_->Read(buffer_);
        position_ = 0;
        if (filled_ == 0) {
            ended_ = true;
            return kEndOfFile;
        }
    }
    const char byte = buffer_[position_++];
    if (byte == kCtrlZ) {
        ended_ = true;
        return kEndOfFile;
    }
    return static_cast<unsigned char>(byte);
}

std::string TextFileReader::ReadLine() {
    std::string line;
    for (int byte = NextByte(); byte != kEndOfFile && byte != '\n'; byte = NextByte()) {
        if (byte != '\r') line.push_back(static_cast<char>(byte));
    }
    return line;
}

void TextFileReader::Close() {
    if (source_) std::exchange(source_, nullptr)->Close();
}

}  // namespace platform
