#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orlix::testing {

// A server the test starts, which says on descriptor 3 where it serves (one line) once it does:
// a bus daemon's address, an X server's display number. Ended at the end.
class ReportingServer {
public:
    // The descriptor the server reports on.
    static constexpr int kReportDescriptor = 3;

    explicit ReportingServer(const std::vector<std::string>& arguments);
    ~ReportingServer();
    ReportingServer(const ReportingServer&) = delete;
    ReportingServer& operator=(const ReportingServer&) = delete;

    // Empty when the server did not start, or said nothing within the bound.
    const std::string& report() const { return report_; }
    // Ends the server now.
    void end();

private:
    static std::string readLine(int descriptor);

    pid_t pid_ = -1;
    std::string report_;
};

} // namespace orlix::testing
