#pragma once

#include <thread>

namespace orlix {

// Reads the system's font configuration on a thread of its own while the application object is
// made. Qt reads it on the first use of text, the activity window's when a run begins: on the
// main thread, in front of the first export, and for tens of milliseconds. Needs no application
// object, so it is made first.
class FontDatabaseWarmUp {
public:
    FontDatabaseWarmUp();
    // Waits for the reading to end. Before the first use of text: fontconfig's lock does not keep
    // a second reader from reading the whole configuration again meanwhile.
    ~FontDatabaseWarmUp();
    FontDatabaseWarmUp(const FontDatabaseWarmUp&) = delete;
    FontDatabaseWarmUp& operator=(const FontDatabaseWarmUp&) = delete;

private:
    std::thread reader_;
};

} // namespace orlix
