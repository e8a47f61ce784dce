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

// A silent end of a command: the user cancelled (a save prompt, a chooser), nothing is
// wrong and nothing is shown. Not an EKxError, so a handler for errors never shows it.
class EKxAbort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

} // namespace kx
