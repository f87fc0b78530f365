// Every seed of every fuzz target, replayed through the same checks the fuzzer applies: a broken invariant or
// a crash found once stays found in the ordinary test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/targets.h"

namespace kv::fuzz {
namespace {

TEST(FuzzCorpus, EverySeedPassesItsTarget) {
    const std::filesystem::path root = KV_FUZZ_CORPUS;
    for (const Target& target : kTargets) {
        const std::filesystem::path dir = root / target.name;
        ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
        int seeds = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(entry.path().string());
            EXPECT_NO_THROW(target.run(bytes));
            ++seeds;
        }
        EXPECT_GT(seeds, 0) << "no seeds for " << target.name;
    }
}

}  // namespace
}  // namespace kv::fuzz
