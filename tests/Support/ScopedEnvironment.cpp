#include "Support/ScopedEnvironment.h"

#include <cstdlib>

namespace orlix::testing {

ScopedEnvironment::ScopedEnvironment(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        previous_ = old;
    }
    apply(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    apply(name_, previous_);
}

void ScopedEnvironment::apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

} // namespace orlix::testing
