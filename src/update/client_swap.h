// The file steps of putting a new client in place. The new file is first copied beside the client and flushed
// to disk, then put in the client's place with one rename, so that at every instant the client's name holds
// either the whole old file or the whole new one, also when the process is killed half-way.
#pragma once

#include <cstdint>
#include <filesystem>

namespace kv {

enum class FileError {
    None,
    Missing,       // the source file is not there
    Locked,        // the file is in use (a running client, another program holding it)
    AccessDenied,  // no right to write or replace it
    DiskFull,
    Short,  // the copy's length is not the expected one
    Other,
};

struct FileResult {
    FileError error = FileError::None;
    int code = 0;  // the system's error number, for the record
    bool ok() const { return error == FileError::None; }
};

// Copies `from` to `staged` (an old staged file is replaced), flushes the copy to disk and checks that it
// holds `expected_length` bytes. On failure no staged file is left.
FileResult stage_copy(const std::filesystem::path& from, const std::filesystem::path& staged,
                      std::int64_t expected_length);

// Puts `staged` in the place of `target` in one step (the old target is replaced). On failure both files are
// as they were.
FileResult replace_with(const std::filesystem::path& staged, const std::filesystem::path& target);

// The file's length in bytes, -1 when it cannot be read.
std::int64_t file_length(const std::filesystem::path& file);

}  // namespace kv
