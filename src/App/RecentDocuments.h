#pragma once

#include "Platform/Url.h"
#include "Platform/UserDefaults.h"

#include <memory>
#include <string>
#include <vector>

namespace orlix {

// The inputs of the latest runs, newest first, kept in the application's own defaults rather
// than the desktop's shared list, which other programs rewrite.
class RecentDocuments {
public:
    static constexpr const char* defaultsKey = "OXRecentDocuments";
    static constexpr std::size_t maximumCount = 10;

    explicit RecentDocuments(std::shared_ptr<UserDefaults> defaults)
        : defaults_(std::move(defaults)) {}

    // Paths, newest first; what is not a path is skipped.
    std::vector<std::string> paths() const;
    // Moves the file to the front, once, and forgets the oldest beyond the maximum.
    void note(const Url& url);
    void clear();

private:
    std::shared_ptr<UserDefaults> defaults_;
};

} // namespace orlix
