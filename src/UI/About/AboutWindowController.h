#pragma once

#include "UI/ApplicationBundle.h"
#include "UI/WindowController.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QTextBrowser>

namespace orlix {

// Orlix's About window: its icon, name, version and build, copyright line and the credits with
// the licences of the libraries it is built on, filled once from the bundle it is given. The
// window is as wide as it is made: the copyright wraps inside it, and the window takes the height
// of the wrapped text. Main thread only.
class AboutWindowController final : public WindowController {
public:
    static constexpr int contentWidth = 400;

    explicit AboutWindowController(const ApplicationBundle& bundle = ApplicationBundle::main());
    ~AboutWindowController() override;
    AboutWindowController(const AboutWindowController&) = delete;
    AboutWindowController& operator=(const AboutWindowController&) = delete;

    void showWindow() override;
    bool isWindowVisible() const override;

    // "Version 1.2 (345)" in the user's language.
    static QString versionString(const QString& shortVersion, const QString& build);

    QDialog* window() const { return window_; }
    QLabel* applicationIconImageView() const { return applicationIconImageView_; }
    QLabel* applicationNameLabel() const { return applicationNameLabel_; }
    QLabel* applicationVersionLabel() const { return applicationVersionLabel_; }
    QLabel* applicationCopyrightLabel() const { return applicationCopyrightLabel_; }
    QTextBrowser* creditsTextView() const { return creditsTextView_; }

private:
    void loadWindow();
    void windowDidLoad(const ApplicationBundle& bundle);

    QPointer<QDialog> window_;
    QPointer<QLabel> applicationIconImageView_;
    QPointer<QLabel> applicationNameLabel_;
    QPointer<QLabel> applicationVersionLabel_;
    QPointer<QLabel> applicationCopyrightLabel_;
    QPointer<QTextBrowser> creditsTextView_;
};

} // namespace orlix
