#include "platform/downloader_file.h"

namespace kv::download {

// Ownership moves the same way on every platform; only closing differs.
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

}  // namespace kv::download
