#include "tracefile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace zelmark {

TraceFile::Buffer::Buffer() {
    setp(data_.data(), data_.data() + data_.size());
}

bool TraceFile::Buffer::flush() {
    const char* next = pbase();
    while (next < pptr() && firstError == 0) {
        const ssize_t written = ::write(fd, next, static_cast<std::size_t>(pptr() - next));
        if (written < 0) {
            if (errno != EINTR) {
                firstError = errno;
            }
            continue;
        }
        next += written;
    }
    // After a failure the rest is dropped: a trace with a hole in it would mislead.
    setp(data_.data(), data_.data() + data_.size());
    return firstError == 0;
}

TraceFile::Buffer::int_type TraceFile::Buffer::overflow(int_type c) {
    if (fd < 0 || !flush()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int TraceFile::Buffer::sync() {
    return fd >= 0 && flush() ? 0 : -1;
}

TraceFile::TraceFile() : stream_(&buffer_) {}

TraceFile::~TraceFile() {
    close();
}

int TraceFile::open(const std::string& path) {
    buffer_.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return buffer_.fd < 0 ? errno : 0;
}

int TraceFile::close() {
    if (buffer_.fd >= 0) {
        buffer_.flush();
        if (::close(buffer_.fd) != 0 && buffer_.firstError == 0 && errno != EINTR) {
            buffer_.firstError = errno;  // a network file system reports a lost write here
        }
        buffer_.fd = -1;
    }
    return buffer_.firstError;
}

}  // namespace zelmark
