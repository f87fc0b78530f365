// The download's output file: created or overwritten, sized once, written at explicit offsets from several
// threads at once (pwrite on POSIX, WriteFile with an offset on Windows). Move-only owner of the handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/handle.h"

namespace kv::download {

enum class FileError { None, Exists, Open, Resize, Write };

// Files as integers (a file descriptor, or a HANDLE); closed by the platform's file.
struct FileTraits {
    using Value = std::intptr_t;
    static constexpr Value kInvalid = -1;
    static void close(Value file) noexcept;
};

class OutputFile {
public:
    // `path` is UTF-8. With `exclusive`, fails with Exists when the file is there already; otherwise
    // creates or truncates it.
    FileError open(const std::string& path, bool exclusive);
    FileError resize(std::int64_t size);
    FileError write_at(const char* data, std::size_t size, std::int64_t offset);
    void close() { handle_.reset(); }
    bool is_open() const { return handle_.valid(); }

    // The size of an existing file, -1 when there is none.
    static std::int64_t existing_size(const std::string& path);
    static bool remove(const std::string& path);

private:
    // The platform's part.
    FileError resize_to(std::int64_t size);
    FileError write_all(const char* data, std::size_t size, std::int64_t offset);

    UniqueHandle<FileTraits> handle_;
};

// A seam for tests: while set, every resize and write asks it first and fails when it answers true, as on a
// full disk. Process-wide; change it only while no task runs.
struct FileFault {
    std::function<bool(std::int64_t size)> resize;
    std::function<bool(std::int64_t offset, std::size_t size)> write;
};
void set_file_fault(FileFault fault);

}  // namespace kv::download
