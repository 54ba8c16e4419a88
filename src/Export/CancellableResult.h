#pragma once

#include <any>

namespace orlix {

// How a task ended. A failure may carry the error of the task's kind (an export's error value), or
// nothing when there is nothing to tell.
class CancellableResult {
public:
    enum class Kind { success, cancelled, failure };

    static CancellableResult success() { return CancellableResult(Kind::success, {}); }
    static CancellableResult cancelled() { return CancellableResult(Kind::cancelled, {}); }
    static CancellableResult failure(std::any error = {}) {
        return CancellableResult(Kind::failure, std::move(error));
    }

    Kind kind() const { return kind_; }
    // Empty unless a failure carries an error.
    const std::any& error() const { return error_; }
    // The error as the given type, or nullptr when it holds none or another type.
    template <typename Error> const Error* errorAs() const { return std::any_cast<Error>(&error_); }

private:
    CancellableResult(Kind kind, std::any error)
        : kind_(kind)
        , error_(std::move(error)) {}

    Kind kind_;
    std::any error_;
};

} // namespace orlix
