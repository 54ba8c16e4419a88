#pragma once

#include <optional>
#include <string>

namespace orlix::testing {

// Sets (or unsets, with no value) an environment variable and restores the old value at the end.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void apply(const std::string& name, const std::optional<std::string>& value);

    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace orlix::testing
