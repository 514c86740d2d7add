#include "replystore.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#define ftruncate _chsize
#define getpid _getpid
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace zelmark {

namespace {

// A UTF-8 path as the file system's own.
std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string describe(const char* what, const std::string& path) {
    return std::string(what) + " \"" + path + "\": " + std::strerror(errno);
}

// Reads a file that its store holds open.
class FileByteReader final : public ByteReader {
public:
    explicit FileByteReader(std::FILE* file) : file_(file) {}

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
    release();
}

// Opens the file for reading and writing without cutting it, and holds it so that no other
// updater can write into it at the same time: another updater's hold leaves it untouched.
std::FILE* FileReplyStore::openExclusively(const std::string& path) {
#ifdef _WIN32
    // Paths are UTF-8; Windows takes them as UTF-16 (a user folder such as C:\Users\Søren).
    const int fd = ::_wsopen(fsPath(path).c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _SH_DENYWR,
                             _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
#else
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
#endif
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        ::close(fd);
    }
    return file;
}

void FileReplyStore::create() {
    if (!file_) {
        file_ = openExclusively(path_);
        const int openError = errno;
        std::error_code ignored;
        if (!file_ && (openError == EWOULDBLOCK || openError == EACCES) &&
            std::filesystem::exists(fsPath(path_), ignored)) {
            // Another updater holds the file for its own query: this one takes a name of its
            // own beside it, and removes it again when done.
            privatePath_ = path_ + "." + std::to_string(::getpid());
            file_ = openExclusively(privatePath_);
        } else {
            errno = openError;
        }
        if (!file_) {
            throw IoError(describe("Cannot create file", path_));
        }
    }
    // Each capture replaces the contents.
    std::rewind(file_);
    if (::ftruncate(::fileno(file_), 0) != 0) {
        throw IoError(describe("Cannot create file", path()));
    }
    writing_ = true;
}

void FileReplyStore::append(const std::uint8_t* data, std::size_t size) {
    if (!file_ || !writing_ || std::fwrite(data, 1, size, file_) != size) {
        throw IoError(describe("Cannot write file", path()));
    }
}

void FileReplyStore::close() {
    if (file_ && writing_) {
        writing_ = false;
        if (std::fflush(file_) != 0) {
            throw IoError(describe("Cannot write file", path()));
        }
    }
}

void FileReplyStore::release() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!privatePath_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(fsPath(privatePath_), ignored);
        privatePath_.clear();
    }
}

std::unique_ptr<ByteReader> FileReplyStore::openForReading() {
    // Read back through the handle that is still held: the bytes are this query's own.
    close();
    if (!file_) {
        throw IoError(describe("Cannot open file", path()));
    }
    std::rewind(file_);
    return std::make_unique<FileByteReader>(file_);
}

std::unique_ptr<ByteReader> MemoryReplyStore::openForReading() {
    return std::make_unique<MemoryByteReader>(bytes_);
}

}  // namespace zelmark
