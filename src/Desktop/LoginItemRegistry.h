#pragma once

namespace orlix {

// Where the session keeps what starts at login. Enabling starts the login item now as well when
// it does not run; disabling only stops it from starting at the next login.
class LoginItemRegistry {
public:
    virtual ~LoginItemRegistry() = default;
    virtual void setLoginItemEnabled(bool enabled) = 0;
};

} // namespace orlix
