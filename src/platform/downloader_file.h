// The download's output file: created or overwritten, sized once, written at explicit offsets from several
// threads at once (pwrite on POSIX, WriteFile with an offset on Windows). Move-only owner of the handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::download {

enum class FileError { None, Exists, Open, Resize, Write };

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // `path` is UTF-8. With `exclusive`, fails with Exists when the file is there already; otherwise
    // creates or truncates it.
    FileError open(const std::string& path, bool exclusive);
    FileError resize(std::int64_t size);
    FileError write_at(const char* data, std::size_t size, std::int64_t offset);
    void close();
    bool is_open() const { return handle_ != kInvalid; }

    // The size of an existing file, -1 when there is none.
    static std::int64_t existing_size(const std::string& path);
    static bool remove(const std::string& path);

private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
};

}  // namespace kv::download
