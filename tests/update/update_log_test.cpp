// The update log: what one line says, and how the file stays bounded.
#include "update/update_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/lib/temp_dir.h"

namespace kv {
namespace {

const LogTime kTime{2016, 3, 24, 14, 5, 9};

TEST(UpdateLog, OneLinePerEventWithTheGivenFields) {
    UpdateEvent full;
    full.event = "download";
    full.host = "127.0.0.1:8080";
    full.local_version = "UN-20160324";
    full.remote_version = "UN-20160401";
    full.size = 35651584;
    full.bytes_per_second = 831898;
    full.outcome = "failed";
    full.error = DownloadError::NotFound;
    full.swap = "old client kept";
    full.signature = "malformed (trailing bytes)";
    full.detail = "HTTP 404";

    UpdateEvent gbk;
    gbk.event = "check";
    gbk.host = "\xB8\xFC\xD0\xC2.example";            // 更新.example
    gbk.remote_version = "\xB2\xE2\xCA\xD4\xB0\xE6";  // 测试版
    gbk.outcome = "different";

    UpdateEvent hostile;  // a version file that tries to write lines of its own
    hostile.event = "check";
    hostile.remote_version = "UN-2\r\n2016-03-24 00:00:00 swap outcome=replaced";
    hostile.detail = "bad\xFFutf8 \"quoted\" back\\slash\x7F";

    UpdateEvent empty;

    const std::pair<const UpdateEvent*, std::string> cases[] = {
        {&full,
         "2016-03-24 14:05:09 download host=127.0.0.1:8080 local=UN-20160324 remote=UN-20160401 "
         "size=35651584 "
         "speed=812.4KB/s outcome=failed error=\"not found\" swap=\"old client kept\" "
         "signature=\"malformed (trailing bytes)\" detail=\"HTTP 404\""},
        {&gbk, "2016-03-24 14:05:09 check host=更新.example remote=测试版 outcome=different"},
        {&hostile,
         "2016-03-24 14:05:09 check remote=\"UN-2\\x0D\\x0A2016-03-24 00:00:00 swap outcome=replaced\" "
         "detail=\"bad\\xFFutf8 \\\"quoted\\\" back\\\\slash\\x7F\""},
        {&empty, "2016-03-24 14:05:09 \"\""},
    };
    for (const auto& [event, line] : cases) EXPECT_EQ(format_update_event(kTime, *event), line);
}

TEST(UpdateLog, LongValuesAreCutAtACharacterBoundary) {
    UpdateEvent e;
    e.event = "check";
    // 测 is three bytes in UTF-8: 67 of them are 201 bytes, one more than a value may hold.
    std::string long_gbk;
    for (int i = 0; i < 67; ++i) long_gbk += "\xB2\xE2";
    e.remote_version = long_gbk;
    std::string cut;
    for (int i = 0; i < 66; ++i) cut += "测";
    EXPECT_EQ(format_update_event(kTime, e), "2016-03-24 14:05:09 check remote=" + cut + "...");

    e.remote_version.clear();
    e.detail = std::string(1000, 'x');
    EXPECT_EQ(format_update_event(kTime, e),
              "2016-03-24 14:05:09 check detail=" + std::string(kMaxLogValue, 'x') + "...");
}

// The whole file in one read (the bounds test reads a large file after every line).
std::string read_all(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Appends `count` lines whose lengths follow `length(i)` to a log bounded by `limit` and `keep`, and checks
// after each line: the file is within the limit, holds the newest lines whole and in order, and is only ever
// cut down to `keep` (so cuts are rare); returns how often the file was cut.
int fill_and_check(std::size_t limit, std::size_t keep, int count, std::size_t (*length)(int)) {
    test::TempDir dir;
    const auto log = dir / "Korvalen.log";
    std::string all;                  // every line written, in order
    std::vector<std::size_t> starts;  // where each line starts in `all`
    std::size_t kept_from = 0;
    int cuts = 0;
    for (int i = 0; i < count; ++i) {
        std::string line = std::to_string(i) + ":";
        line.resize(std::max(line.size(), length(i)), static_cast<char>('a' + i % 26));
        starts.push_back(all.size());
        all += line + "\r\n";
        EXPECT_TRUE(append_log_line(log, line, limit, keep)) << i;
        const std::string text = read_all(log);
        EXPECT_LE(text.size(), limit) << i;
        // The file is the newest lines, whole and in order: a part of `all` that ends at its end and starts
        // where a line starts.
        const std::size_t from = all.size() - std::min(all.size(), text.size());
        EXPECT_TRUE(all.compare(from, std::string::npos, text) == 0) << i;
        const auto line_start = std::lower_bound(starts.begin(), starts.end(), from);
        if (line_start == starts.end() || *line_start != from) {
            ADD_FAILURE() << "the file does not start with a whole line after line " << i;
            return cuts;
        }
        // As many as fit: the next older line would not have fitted in what the last cut kept.
        if (from > 0) {
            EXPECT_GT(text.size() + (from - *(line_start - 1)), keep) << i;
        }
        if (from != kept_from) {
            ++cuts;
            EXPECT_LE(text.size(), keep) << "a cut leaves at most `keep` bytes; line " << i;
            kept_from = from;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "Korvalen.log.tmp"));
    return cuts;
}

TEST(UpdateLog, KeepsTheNewestWholeLinesWithinTheLimitAndCutsRarely) {
    struct Case {
        const char* name;
        std::size_t limit, keep;
        int count;
        std::size_t (*length)(int);
        int max_cuts;
    };
    const Case cases[] = {
        // The most cuts: all bytes written over the least a cut frees for new lines (limit - keep - a line).
        {"even lines", 1000, 700, 200, [](int) -> std::size_t { return 48; }, 200 * 50 / 250 + 1},
        {"uneven lines", 2000, 1000, 300, [](int i) -> std::size_t { return 10 + (i * 37) % 190; },
         300 * 201 / 800},
        {"lines as long as the keep", 600, 300, 20, [](int) -> std::size_t { return 298; }, 11},
        {"the launcher's bounds", kUpdateLogLimit, kUpdateLogKeep, 1500,
         [](int i) -> std::size_t { return 150 + (i * 13) % 250; }, 1500 * 402 / (64 * 1024 - 402) + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int cuts = fill_and_check(c.limit, c.keep, c.count, c.length);
        EXPECT_GE(cuts, 1);
        EXPECT_LE(cuts, c.max_cuts);
    }
}

TEST(UpdateLog, ALineCutOffByAnEndedWriteStaysApart) {
    test::TempDir dir;
    const auto log = dir / "Korvalen.log";
    test::write_bytes(log, "2016-03-24 14:05:09 download host=h\r\n2016-03-24 14:05:10 swa");
    ASSERT_TRUE(append_log_line(log, "next"));
    EXPECT_EQ(test::read_bytes(log),
              "2016-03-24 14:05:09 download host=h\r\n2016-03-24 14:05:10 swa\r\nnext\r\n");
}

TEST(UpdateLog, AFileThatCannotBeWrittenIsLeftAlone) {
    test::TempDir dir;
    // A folder where the file should be, and a folder that does not exist.
    std::filesystem::create_directory(dir / "Korvalen.log");
    EXPECT_FALSE(append_log_line(dir / "Korvalen.log", "line"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Korvalen.log"));
    EXPECT_FALSE(append_log_line(dir / "missing" / "Korvalen.log", "line"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    // A line longer than what a cut keeps is refused rather than written past the bound.
    EXPECT_FALSE(append_log_line(dir / "other.log", std::string(800, 'x'), 1000, 700));
}

}  // namespace
}  // namespace kv
