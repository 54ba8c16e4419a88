#include "App/RecentDocuments.h"

#include <algorithm>

namespace orlix {

std::vector<std::string> RecentDocuments::paths() const {
    std::vector<std::string> result;
    for (const auto& item : defaults_->arrayForKey(defaultsKey).value_or(PropertyList::Array{})) {
        if (const auto* path = item.stringValue(); path && result.size() < maximumCount) {
            result.push_back(*path);
        }
    }
    return result;
}

void RecentDocuments::note(const Url& url) {
    const std::string path = url.path().string();
    auto list = paths();
    list.erase(std::remove(list.begin(), list.end(), path), list.end());
    list.insert(list.begin(), path);
    list.resize(std::min(list.size(), maximumCount));
    defaults_->setObject(PropertyList(PropertyList::Array(list.begin(), list.end())), defaultsKey);
}

void RecentDocuments::clear() {
    defaults_->removeObject(defaultsKey);
}

} // namespace orlix
