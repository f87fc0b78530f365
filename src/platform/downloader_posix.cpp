#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/downloader_file.h"

namespace kv::download {

OutputFile::~OutputFile() { close(); }

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = kInvalid;
    }
    return *this;
}

FileError OutputFile::open(const std::string& path, bool exclusive) {
    close();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return errno == EEXIST ? FileError::Exists : FileError::Open;
    handle_ = fd;
    return FileError::None;
}

FileError OutputFile::resize(std::int64_t size) {
    return ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) == 0 ? FileError::None
                                                                                 : FileError::Resize;
}

FileError OutputFile::write_at(const char* data, std::size_t size, std::int64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(static_cast<int>(handle_), data, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileError::Write;
        }
        if (n == 0) return FileError::Write;
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return FileError::None;
}

void OutputFile::close() {
    if (handle_ != kInvalid) ::close(static_cast<int>(handle_));
    handle_ = kInvalid;
}

std::int64_t OutputFile::existing_size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool OutputFile::remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

KernelBuffer::~KernelBuffer() { close(); }

bool KernelBuffer::open(std::size_t capacity) {
    close();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read_ = fds[0];
    write_ = fds[1];
    // A pipe counts its room in pages; a few times the bytes it is meant to hold leaves room for the partly
    // filled pages that small packets bring.
    const std::size_t want = std::min<std::size_t>(capacity * 4, INT_MAX);
    const int got = ::fcntl(fds[1], F_SETPIPE_SZ, static_cast<int>(want));
    if (got < 0 || static_cast<std::size_t>(got) < capacity) {
        close();
        return false;
    }
    return true;
}

net::IoResult KernelBuffer::receive(net::TcpSocket& socket, std::size_t size, int timeout_ms) {
    const int fd = static_cast<int>(socket.native_handle());
    for (;;) {
        // Never blocks inside splice: a full pipe would wait for a reader, and that reader is this thread.
        const ssize_t n =
            ::splice(fd, nullptr, static_cast<int>(write_), nullptr, size, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (n > 0) return {net::Error::None, static_cast<std::size_t>(n)};
        if (n == 0) return {net::Error::Closed, 0};
        if (errno == EINTR) continue;
        if (errno != EAGAIN) {
            return {errno == ECONNRESET || errno == EPIPE ? net::Error::Reset : net::Error::Io, 0};
        }
        pollfd room{static_cast<int>(write_), POLLOUT, 0};
        if (::poll(&room, 1, 0) == 0) return {net::Error::None, 0};  // full: the caller writes out first
        pollfd in{fd, POLLIN, 0};
        const int r = ::poll(&in, 1, timeout_ms > 0 ? timeout_ms : -1);
        if (r == 0) return {net::Error::TimedOut, 0};
        if (r < 0 && errno != EINTR) return {net::Error::Io, 0};
    }
}

FileError KernelBuffer::write_to(OutputFile& file, std::size_t size, std::int64_t offset) {
    auto at = static_cast<loff_t>(offset);
    while (size > 0) {
        const ssize_t n = ::splice(static_cast<int>(read_), nullptr, static_cast<int>(file.handle_), &at, size,
                                   SPLICE_F_MOVE);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close();  // what is left in the pipe belongs nowhere now
            return FileError::Write;
        }
        size -= static_cast<std::size_t>(n);
    }
    return FileError::None;
}

void KernelBuffer::close() {
    if (read_ != kInvalid) ::close(static_cast<int>(read_));
    if (write_ != kInvalid) ::close(static_cast<int>(write_));
    read_ = write_ = kInvalid;
}

}  // namespace kv::download
