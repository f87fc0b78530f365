#include "platform/http_fetch.h"

namespace kv {

std::string_view url_without_fragment(std::string_view url) {
    return url.substr(0, url.find('#'));
}

std::string text_before_nul(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace kv
