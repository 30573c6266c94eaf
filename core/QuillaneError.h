#pragma once

#include <stdexcept>
#include <string>

namespace quillane {

/// Base of the project's exceptions. The message is UTF-8 text meant for
/// the user, exactly as the failure report shows it (before the full stop).
class EQuillaneError : public std::runtime_error {
public:
    explicit EQuillaneError(const std::string& messageUtf8) : std::runtime_error(messageUtf8) {}
};

}  // namespace quillane
