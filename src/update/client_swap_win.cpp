#include <windows.h>

#include <memory>

#include "update/client_swap.h"

namespace kv {
namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle open_file(const std::filesystem::path& file, DWORD access, DWORD share) {
    HANDLE h =
        CreateFileW(file.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

FileResult from_system(DWORD code) {
    FileResult r;
    r.code = static_cast<int>(code);
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            r.error = FileError::Missing;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            r.error = FileError::Locked;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            r.error = FileError::AccessDenied;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            r.error = FileError::DiskFull;
            break;
        default:
            r.error = FileError::Other;
            break;
    }
    return r;
}

// A running program's file cannot be replaced, and Windows says "access denied" for that as for a missing
// right. Asking for write access tells them apart: the running image refuses it as a sharing violation.
FileResult why_not_replaced(const std::filesystem::path& target, DWORD code) {
    if (code == ERROR_ACCESS_DENIED &&
        !open_file(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) &&
        GetLastError() == ERROR_SHARING_VIOLATION)
        return from_system(ERROR_SHARING_VIOLATION);
    return from_system(code);
}

}  // namespace

std::int64_t file_length(const std::filesystem::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FileResult stage_copy(const std::filesystem::path& from, const std::filesystem::path& staged,
                      std::int64_t expected_length) {
    FileResult result;
    if (!CopyFileW(from.c_str(), staged.c_str(), FALSE)) {
        result = from_system(GetLastError());
    } else if (FileHandle copy = open_file(staged, GENERIC_WRITE, FILE_SHARE_READ); !copy) {
        result = from_system(GetLastError());
    } else if (!FlushFileBuffers(copy.get())) {
        result = from_system(GetLastError());
    } else {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(copy.get(), &size))
            result = from_system(GetLastError());
        else if (size.QuadPart != expected_length)
            result.error = FileError::Short;
    }
    if (!result.ok()) DeleteFileW(staged.c_str());
    return result;
}

FileResult replace_with(const std::filesystem::path& staged, const std::filesystem::path& target) {
    // A rename within one folder: the target's name points at the old file or at the new one, never at a mix.
    if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return why_not_replaced(target, GetLastError());
}

}  // namespace kv
