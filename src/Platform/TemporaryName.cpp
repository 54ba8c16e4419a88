#include "Platform/TemporaryName.h"

#include <random>
#include <string_view>

namespace orlix {

std::string TemporaryName::make(std::string prefix, std::size_t length) {
    static constexpr std::string_view characters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, characters.size() - 1);
    for (std::size_t index = 0; index < length; ++index) {
        prefix += characters[pick(generator)];
    }
    return prefix;
}

} // namespace orlix
