#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// A fresh directory for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp on Windows: a random name, tried until it is new.
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("zelmark-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zelmark-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
#endif
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path file(const std::string& name) const {
        return path_ / name;
    }
    const std::filesystem::path& path() const {
        return path_;
    }

    static std::vector<std::uint8_t> read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path path_;
};
