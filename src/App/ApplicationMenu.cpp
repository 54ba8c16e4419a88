#include "App/ApplicationMenu.h"

#include "App/AppDelegate.h"
#include "App/HelpLocator.h"
#include "Platform/Localization.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

#include <filesystem>

namespace orlix {

namespace {

void showHelp() {
    std::error_code error;
    const auto readme = HelpLocator::readme(std::filesystem::read_symlink("/proc/self/exe", error),
                                            ORLIX_SOURCE_README);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(readme.string())));
}

} // namespace

ApplicationMenu::ApplicationMenu(QObject* owner, DelegateAccess delegate,
                                 std::shared_ptr<RecentDocuments> recent,
                                 const QString& supportAddress)
    : owner_(owner)
    , delegate_(std::move(delegate))
    , openRecent_(
          std::make_unique<OpenRecentMenu>(std::move(recent), [this](const std::string& path) {
              if (auto* target = delegate_()) {
                  target->openFiles({path}, {});
              }
          })) {
    using Type = AddImagesSettings::SettingsType;
    actions_ = {
        item("About Orlix", QKeySequence(), [](AppDelegate& delegate) { delegate.doAbout(); }),
        item("Preferences…", Qt::CTRL | Qt::Key_Comma,
             [](AppDelegate& delegate) { delegate.doEditPreferences(); }),
        separator(),
        item("Optimize Only…", Qt::CTRL | Qt::Key_1,
             [](AppDelegate& delegate) { delegate.promptForFiles(Type::quickOptimize); }),
        item("Resize and Optimize…", Qt::CTRL | Qt::Key_2,
             [](AppDelegate& delegate) { delegate.promptForFiles(Type::resizeAndOptimize); }),
        item("Use Previous Settings…", Qt::CTRL | Qt::Key_3,
             [](AppDelegate& delegate) { delegate.promptForFiles(Type::usePreviousSettings); }),
        openRecent_->menuAction(),
        separator()};
    auto* checkForUpdates = item("Check for Updates...", Qt::CTRL | Qt::Key_U,
                                 [](AppDelegate& delegate) { delegate.checkForUpdates(); });
    checkForUpdates->setObjectName(
        QString::fromLatin1(AppDelegate::checkForUpdatesMenuItemIdentifier));
    actions_ << checkForUpdates
             << item("Help", QKeySequence::HelpContents, [](AppDelegate&) { showHelp(); });
    if (!supportAddress.isEmpty()) {
        actions_ << item("Contact Support", {}, [supportAddress](AppDelegate&) {
            QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + supportAddress));
        });
    }
    auto* quit =
        item("Quit", Qt::CTRL | Qt::Key_Q, [](AppDelegate& delegate) { delegate.requestQuit(); });
    // Whichever window of Orlix the user is in, also one without the menu. Ctrl+Q by name:
    // platforms without a desktop theme bind no key to the standard Quit.
    quit->setShortcutContext(Qt::ApplicationShortcut);
    actions_ << separator() << quit;
}

ApplicationMenu::~ApplicationMenu() = default;

QAction* ApplicationMenu::item(const char* title, const QKeySequence& keys,
                               std::function<void(AppDelegate&)> action) {
    auto* menuItem = new QAction(QString::fromStdString(localized(title, "Menu item")), owner_);
    menuItem->setShortcut(keys);
    QObject::connect(menuItem, &QAction::triggered, [this, action = std::move(action)] {
        if (auto* target = delegate_()) {
            action(*target);
        }
    });
    return menuItem;
}

void ApplicationMenu::attach(QWidget* window) const {
    window->addActions(actions_);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction* ApplicationMenu::separator() {
    auto* line = new QAction(owner_);
    line->setSeparator(true);
    return line;
}

void ApplicationMenu::followValidation(AppDelegate& delegate) {
    validation_ = delegate.observeMenuValidation([this] { validate(); });
    validate();
}

void ApplicationMenu::validate() {
    auto* target = delegate_();
    for (auto* action : std::as_const(actions_)) {
        action->setEnabled(!target || target->validateMenuItem(action->objectName().toStdString()));
    }
}

} // namespace orlix
