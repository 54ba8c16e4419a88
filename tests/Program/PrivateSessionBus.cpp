#include "Program/PrivateSessionBus.h"

#include <fstream>

namespace orlix::testing {

PrivateSessionBus::PrivateSessionBus() {
    const auto configuration = writeConfiguration();
    daemon_ = std::make_unique<ReportingServer>(std::vector<std::string>{
        "dbus-daemon", "--config-file=" + configuration.string(), "--nofork",
        "--print-address=" + std::to_string(ReportingServer::kReportDescriptor)});
}

// A session bus as the desktop's, without the system's folders of services.
std::filesystem::path PrivateSessionBus::writeConfiguration() const {
    std::filesystem::create_directories(serviceFolder());
    const auto path = folder_.path() / "session.conf";
    std::ofstream(path)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <keep_umask/>\n"
           "  <listen>unix:tmpdir=/tmp</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <servicedir>"
        << serviceFolder().string()
        << "</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           // A loaded machine may take a while to start a program.
           "  <limit name=\"service_start_timeout\">120000</limit>\n"
           "</busconfig>\n";
    return path;
}

} // namespace orlix::testing
