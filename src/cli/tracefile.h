#pragma once

#include <array>
#include <ostream>
#include <streambuf>
#include <string>

// The file behind --trace. It keeps the reason of the first failed write (a full disk, a file
// system gone read-only), which std::ofstream loses, so that the tool can say why the trace is
// incomplete when the command is over.
namespace zelmark {

class TraceFile {
public:
    TraceFile();
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Creates or empties the file; 0, or the errno of the failure.
    int open(const std::string& path);
    std::ostream& stream() { return stream_; }
    // Writes what is buffered and closes the file; 0, or the errno of the first failed write.
    int close();

private:
    class Buffer final : public std::streambuf {
    public:
        Buffer();
        int fd = -1;
        int firstError = 0;
        bool flush();

    protected:
        int_type overflow(int_type c) override;
        int sync() override;

    private:
        std::array<char, 8192> data_{};
    };

    Buffer buffer_;
    std::ostream stream_;
};

}  // namespace zelmark
