#pragma once

#include "Platform/PropertyList.h"

#include <any>
#include <map>
#include <string>

namespace orlix {

// One posted notification: its name, the object that posted it (compared by identity only, never
// dereferenced by the centre) and its user info.
struct Notification {
    std::string name;
    const void* sender = nullptr;
    std::map<std::string, std::any> userInfo;
};

} // namespace orlix
