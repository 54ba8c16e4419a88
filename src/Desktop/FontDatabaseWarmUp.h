#pragma once

#include <thread>

namespace orlix {

// Reads the system's fonts on a thread of its own while the program starts. Qt reads them on the
// first use of text, which is the activity window's when a run begins: on the main thread, before
// the first export can be queued, and for tens of milliseconds. Made once a QGuiApplication
// exists; waits for the reading to end when it goes, before the application does.
class FontDatabaseWarmUp {
public:
    FontDatabaseWarmUp();
    ~FontDatabaseWarmUp();
    FontDatabaseWarmUp(const FontDatabaseWarmUp&) = delete;
    FontDatabaseWarmUp& operator=(const FontDatabaseWarmUp&) = delete;

private:
    std::thread reader_;
};

} // namespace orlix
