#pragma once

#include "App/RecentDocuments.h"

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;

namespace orlix {

// The "Open Recent" submenu: the recent inputs, newest first, then "Clear Menu". It is filled
// afresh each time it opens, so it shows what the latest runs queued.
class OpenRecentMenu {
public:
    // `open` gets the chosen file's path.
    OpenRecentMenu(std::shared_ptr<RecentDocuments> recent,
                   std::function<void(const std::string& path)> open);
    ~OpenRecentMenu();
    OpenRecentMenu(const OpenRecentMenu&) = delete;
    OpenRecentMenu& operator=(const OpenRecentMenu&) = delete;

    // The item that carries the submenu.
    QAction* menuAction() const;
    QMenu* menu() const { return menu_.get(); }
    void rebuild();

private:
    std::shared_ptr<RecentDocuments> recent_;
    std::function<void(const std::string&)> open_;
    std::unique_ptr<QMenu> menu_;
};

} // namespace orlix
