#pragma once

#include "UI/WindowController.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTabWidget>

#include <memory>

namespace orlix {

class GeneralPreferencesViewController;

// The preferences window: a tab of General settings, written as they are changed. The window
// comes back where the user left it (its geometry is kept in Orlix's defaults under
// "PreferencesWindow"). Main thread only.
class PreferencesWindowController final : public QObject, public WindowController {
public:
    static constexpr const char* frameAutosaveName = "PreferencesWindow";

    PreferencesWindowController();
    ~PreferencesWindowController() override;

    // Shows the window with what is stored now, in front.
    void showWindow() override;
    bool isWindowVisible() const override;

    QDialog* window() const { return window_; }
    QTabWidget* tabView() const { return tabView_; }
    GeneralPreferencesViewController* generalPreferencesViewController() const {
        return general_.get();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void saveFrame() const;
    void restoreFrame();

    QPointer<QDialog> window_;
    QPointer<QTabWidget> tabView_;
    std::unique_ptr<GeneralPreferencesViewController> general_;
    bool frameRestored_ = false;
};

} // namespace orlix
