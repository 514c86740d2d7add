#include "replystore.h"

#include <cerrno>
#include <cstring>

namespace zelmark {

namespace {

std::string describe(const char* what, const std::string& path) {
    return std::string(what) + " \"" + path + "\": " + std::strerror(errno);
}

class FileByteReader final : public ByteReader {
public:
    explicit FileByteReader(std::FILE* file) : file_(file) {}
    ~FileByteReader() override { std::fclose(file_); }
    FileByteReader(const FileByteReader&) = delete;
    FileByteReader& operator=(const FileByteReader&) = delete;

    std::uint8_t readByte() override {
        const int c = std::fgetc(file_);
        if (c == EOF) {
            throw IoError(ReadBeyondEndMessage);
        }
        return static_cast<std::uint8_t>(c);
    }

private:
    std::FILE* file_;
};

class MemoryByteReader final : public ByteReader {
public:
    explicit MemoryByteReader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint8_t readByte() override {
        if (next_ >= bytes_.size()) {
            throw IoError(ReadBeyondEndMessage);
        }
        return bytes_[next_++];
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t next_ = 0;
};

}  // namespace

FileReplyStore::~FileReplyStore() {
    close();
}

void FileReplyStore::create() {
    close();
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) {
        throw IoError(describe("Cannot create file", path_));
    }
}

void FileReplyStore::append(const std::uint8_t* data, std::size_t size) {
    if (!file_ || std::fwrite(data, 1, size, file_) != size) {
        throw IoError(describe("Cannot write file", path_));
    }
}

void FileReplyStore::close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

std::unique_ptr<ByteReader> FileReplyStore::openForReading() {
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file) {
        throw IoError(describe("Cannot open file", path_));
    }
    return std::make_unique<FileByteReader>(file);
}

std::unique_ptr<ByteReader> MemoryReplyStore::openForReading() {
    return std::make_unique<MemoryByteReader>(bytes_);
}

}  // namespace zelmark
