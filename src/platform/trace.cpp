#include "platform/trace.h"

#include <exception>

namespace kv {

std::string current_exception_text() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception that is not a std::exception";
    }
}

}  // namespace kv
