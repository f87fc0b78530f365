#include <iconv.h>

#include <cerrno>
#include <ctime>

#include "update/update_log.h"

namespace kv {

LogTime local_log_time() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

std::string gbk_to_utf8(std::string_view gbk) {
    std::string out;
    const iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No GBK tables on this system: keep ASCII, mark the rest.
        for (const char c : gbk)
            out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
    char* in = const_cast<char*>(gbk.data());
    std::size_t in_left = gbk.size();
    char buffer[256];
    while (in_left > 0) {
        char* to = buffer;
        std::size_t to_left = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &in_left, &to, &to_left);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";  // a byte that starts no GBK character
            ++in;
            --in_left;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace kv
