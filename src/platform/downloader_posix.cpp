#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/downloader_file.h"

namespace kv::download {

FileError OutputFile::open(const std::string& path, bool exclusive) {
    handle_.reset();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return errno == EEXIST ? FileError::Exists : FileError::Open;
    handle_.reset(fd);
    return FileError::None;
}

FileError OutputFile::resize_to(std::int64_t size) {
    return ::ftruncate(static_cast<int>(handle_.get()), static_cast<off_t>(size)) == 0 ? FileError::None
                                                                                 : FileError::Resize;
}

FileError OutputFile::write_all(const char* data, std::size_t size, std::int64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(static_cast<int>(handle_.get()), data, size, static_cast<off_t>(offset));
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

void FileTraits::close(Value file) noexcept { ::close(static_cast<int>(file)); }

std::int64_t OutputFile::existing_size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool OutputFile::remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace kv::download
