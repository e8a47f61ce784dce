// The library's one exception class: it carries the fixed text the user is shown
// ("ERROR READING FILE", "INVALID IMAGE : ..."), so callers compare texts, not types.
#pragma once

#include <stdexcept>
#include <string>

namespace kx {

class EKxError : public std::runtime_error {
public:
    explicit EKxError(const std::string &text) : std::runtime_error(text) {}
};

} // namespace kx
