#include "platform/downloader_file.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace kv::download {
namespace {
// Unset outside tests: then a write only reads the flag.
std::atomic<bool> g_fault_set{false};
std::mutex g_fault_lock;
std::shared_ptr<const FileFault> g_fault;

std::shared_ptr<const FileFault> current_fault() {
    if (!g_fault_set.load(std::memory_order_acquire)) return nullptr;
    std::lock_guard g(g_fault_lock);
    return g_fault;
}
}  // namespace

void set_file_fault(FileFault fault) {
    std::lock_guard g(g_fault_lock);
    const bool any = fault.resize || fault.write;
    g_fault = any ? std::make_shared<const FileFault>(std::move(fault)) : nullptr;
    g_fault_set.store(any, std::memory_order_release);
}

FileError OutputFile::resize(std::int64_t size) {
    if (const auto fault = current_fault(); fault && fault->resize && fault->resize(size)) return FileError::Resize;
    return resize_to(size);
}

FileError OutputFile::write_at(const char* data, std::size_t size, std::int64_t offset) {
    if (const auto fault = current_fault(); fault && fault->write && fault->write(offset, size)) {
        return FileError::Write;
    }
    return write_all(data, size, offset);
}

}  // namespace kv::download
