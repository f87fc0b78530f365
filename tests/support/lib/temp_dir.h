// A fresh folder under the system's temp folder, removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

namespace kv::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string read_bytes(const std::filesystem::path& file);
void write_bytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace kv::test
