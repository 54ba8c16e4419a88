#pragma once

#include "App/OpenRecentMenu.h"
#include "Platform/ObservableProperty.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QObject;
class QWidget;

namespace orlix {

class AppDelegate;

// The application's menu: About, Preferences, the add-images items, Open Recent, the update
// check, help and support, and Quit, in the context menu of the windows that carry it (the drop
// window, and the activity window that takes its place during a run) and on their keys. Quit's
// key works in every window of Orlix while one of those is shown. Each item is enabled as the
// delegate validates it and, once followed, after every change that may alter the answer.
class ApplicationMenu {
public:
    // The delegate, once there is one; the items do nothing before.
    using DelegateAccess = std::function<AppDelegate*()>;

    // `supportAddress` empty leaves Contact Support out.
    ApplicationMenu(QObject* owner, DelegateAccess delegate,
                    std::shared_ptr<RecentDocuments> recent, const QString& supportAddress);
    ~ApplicationMenu();
    ApplicationMenu(const ApplicationMenu&) = delete;
    ApplicationMenu& operator=(const ApplicationMenu&) = delete;

    const QList<QAction*>& actions() const { return actions_; }
    // Makes the menu the window's context menu, and its keys the window's.
    void attach(QWidget* window) const;
    void followValidation(AppDelegate& delegate);
    void validate();

private:
    QAction* item(const char* title, const QKeySequence& keys,
                  std::function<void(AppDelegate&)> action);
    QAction* separator();

    QObject* owner_;
    DelegateAccess delegate_;
    std::unique_ptr<OpenRecentMenu> openRecent_;
    QList<QAction*> actions_;
    std::vector<ObservableProperty<bool>::Token> validation_;
};

} // namespace orlix
