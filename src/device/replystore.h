#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Where the capture puts the device's information reply, and how the query reads it back. The
// window keeps it in the scratch file version.tmp; the command-line tool keeps it in memory.
namespace zelmark {

// A failure on the reply's file. Its message is what the user is shown.
class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* ReadBeyondEndMessage = "Read beyond end of file";

class ByteReader {
public:
    virtual ~ByteReader() = default;
    // The next byte; past the end an IoError with ReadBeyondEndMessage.
    virtual std::uint8_t readByte() = 0;
};

class ReplyStore {
public:
    virtual ~ReplyStore() = default;
    virtual void create() = 0;  // anew: earlier contents are gone
    virtual void append(const std::uint8_t* data, std::size_t size) = 0;
    virtual void close() = 0;  // safe to call when not open
    virtual std::unique_ptr<ByteReader> openForReading() = 0;
};

// The reply in a file. The store holds the file from the capture until it is destroyed, so that
// no other updater's query can write into it or read it meanwhile; when another updater holds
// the file already, the store uses a name of its own beside it and removes that file at the end.
class FileReplyStore final : public ReplyStore {
public:
    explicit FileReplyStore(std::string path) : path_(std::move(path)) {}
    ~FileReplyStore() override;
    FileReplyStore(const FileReplyStore&) = delete;
    FileReplyStore& operator=(const FileReplyStore&) = delete;

    // The file that holds the reply.
    const std::string& path() const { return privatePath_.empty() ? path_ : privatePath_; }
    void create() override;
    void append(const std::uint8_t* data, std::size_t size) override;
    void close() override;  // ends the writing; the file stays held for reading back
    std::unique_ptr<ByteReader> openForReading() override;
    void release();  // lets go of the file

private:
    static std::FILE* openExclusively(const std::string& path);

    std::string path_;
    std::string privatePath_;
    std::FILE* file_ = nullptr;
    bool writing_ = false;
};

class MemoryReplyStore final : public ReplyStore {
public:
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    void create() override { bytes_.clear(); }
    void append(const std::uint8_t* data, std::size_t size) override {
        bytes_.insert(bytes_.end(), data, data + size);
    }
    void close() override {}
    std::unique_ptr<ByteReader> openForReading() override;

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace zelmark
