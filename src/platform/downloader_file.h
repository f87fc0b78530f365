// The download's output file: created or overwritten, sized once, written at explicit offsets from several
// threads at once (pwrite on POSIX, WriteFile with an offset on Windows). Move-only owner of the handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/socket.h"

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
    friend class KernelBuffer;
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
};

// Body bytes moved from a socket into the kernel and from there into the output file, never copied through
// this process (a pipe and splice on Linux). Where there is no such path (Windows) open() fails and the
// caller receives into its own buffer instead. Holds at most the capacity asked for in open().
class KernelBuffer {
public:
    KernelBuffer() = default;
    ~KernelBuffer();
    KernelBuffer(const KernelBuffer&) = delete;
    KernelBuffer& operator=(const KernelBuffer&) = delete;

    bool open(std::size_t capacity);
    bool is_open() const { return read_ != kInvalid; }
    // Appends up to `size` bytes from `socket`, waiting up to `timeout_ms` (0 or less: no limit) for some.
    net::IoResult receive(net::TcpSocket& socket, std::size_t size, int timeout_ms);
    // Writes the first `size` bytes held to `file` at `offset`. On failure the buffer is closed.
    FileError write_to(OutputFile& file, std::size_t size, std::int64_t offset);
    void close();

private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t read_ = kInvalid;
    std::intptr_t write_ = kInvalid;
};

}  // namespace kv::download
