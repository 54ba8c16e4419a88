#include "App/OpenRecentMenu.h"

#include "Platform/Localization.h"

#include <QAction>
#include <QMenu>

#include <filesystem>

namespace orlix {

namespace {

QString text(const char* value) {
    return QString::fromStdString(localized(value, "Open Recent menu"));
}

} // namespace

OpenRecentMenu::OpenRecentMenu(std::shared_ptr<RecentDocuments> recent,
                               std::function<void(const std::string&)> open)
    : recent_(std::move(recent))
    , open_(std::move(open))
    , menu_(std::make_unique<QMenu>(text("Open Recent"))) {
    QObject::connect(menu_.get(), &QMenu::aboutToShow, [this] { rebuild(); });
    rebuild();
}

OpenRecentMenu::~OpenRecentMenu() = default;

QAction* OpenRecentMenu::menuAction() const {
    return menu_->menuAction();
}

void OpenRecentMenu::rebuild() {
    menu_->clear();
    const auto paths = recent_->paths();
    for (const auto& path : paths) {
        // The name alone, as it is stored; the folder tells files of the same name apart.
        auto* item = menu_->addAction(
            QString::fromStdString(std::filesystem::path(path).filename().string()));
        item->setToolTip(QString::fromStdString(path));
        QObject::connect(item, &QAction::triggered, [this, path] { open_(path); });
    }
    menu_->setToolTipsVisible(true);
    menu_->addSeparator();
    auto* clear = menu_->addAction(text("Clear Menu"));
    clear->setEnabled(!paths.empty());
    QObject::connect(clear, &QAction::triggered, [this] {
        recent_->clear();
        rebuild();
    });
}

} // namespace orlix
