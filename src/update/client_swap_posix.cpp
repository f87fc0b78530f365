#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "update/client_swap.h"

namespace kv {
namespace {

FileResult from_errno(int code) {
    FileResult r;
    r.code = code;
    switch (code) {
        case ENOENT:
            r.error = FileError::Missing;
            break;
        case ETXTBSY:
        case EBUSY:
            r.error = FileError::Locked;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            r.error = FileError::AccessDenied;
            break;
        case ENOSPC:
        case EDQUOT:
            r.error = FileError::DiskFull;
            break;
        default:
            r.error = FileError::Other;
            break;
    }
    return r;
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Flushes a file or folder to disk.
bool sync_path(const std::filesystem::path& p, int flags) {
    Fd fd(::open(p.c_str(), flags));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

}  // namespace

std::int64_t file_length(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return -1;
    const auto n = std::filesystem::file_size(file, ec);
    return ec ? -1 : static_cast<std::int64_t>(n);
}

FileResult stage_copy(const std::filesystem::path& from, const std::filesystem::path& staged,
                      std::int64_t expected_length) {
    FileResult result;
    std::error_code ec;
    std::filesystem::copy_file(from, staged, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec)
        result = from_errno(ec.value());
    else if (!sync_path(staged, O_RDONLY))
        result = from_errno(errno);
    else if (file_length(staged) != expected_length)
        result.error = FileError::Short;
    if (!result.ok()) std::filesystem::remove(staged, ec);
    return result;
}

FileResult replace_with(const std::filesystem::path& staged, const std::filesystem::path& target) {
    if (::rename(staged.c_str(), target.c_str()) != 0) return from_errno(errno);
    sync_path(target.parent_path().empty() ? "." : target.parent_path(), O_RDONLY | O_DIRECTORY);
    return {};
}

}  // namespace kv
