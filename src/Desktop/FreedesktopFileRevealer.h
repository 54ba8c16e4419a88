#pragma once

#include "Desktop/FileRevealer.h"

#include <QDBusConnection>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace orlix {

class FileManagerClient;

// Selects the files in the file manager through org.freedesktop.FileManager1; where no file
// manager offers that, or it refuses, opens their folders instead.
class FreedesktopFileRevealer final : public FileRevealer {
public:
    static constexpr std::chrono::milliseconds kCallTimeout{5000};
    using FolderOpener = std::function<void(const std::filesystem::path& folder)>;

    // Without an opener, folders open in the desktop's default application.
    explicit FreedesktopFileRevealer(QDBusConnection connection = QDBusConnection::sessionBus(),
                                     FolderOpener folderOpener = {});
    ~FreedesktopFileRevealer() override;
    FreedesktopFileRevealer(const FreedesktopFileRevealer&) = delete;
    FreedesktopFileRevealer& operator=(const FreedesktopFileRevealer&) = delete;

    void reveal(const std::vector<Url>& urls) override;
    void flush() override;

private:
    std::unique_ptr<FileManagerClient> client_;
};

} // namespace orlix
