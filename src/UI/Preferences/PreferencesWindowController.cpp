#include "UI/Preferences/PreferencesWindowController.h"

#include "Platform/UserDefaults.h"
#include "UI/ApplicationBundle.h"
#include "UI/Common/WindowPresentation.h"
#include "UI/LocalizedText.h"
#include "UI/Preferences/GeneralPreferencesViewController.h"

#include <QDialog>
#include <QEvent>
#include <QIcon>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orlix {

PreferencesWindowController::PreferencesWindowController()
    : window_(new QDialog)
    , general_(std::make_unique<GeneralPreferencesViewController>()) {
    // A window of settings or information: it is closed, never maximised.
    window_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint);
    window_->setWindowTitle(localizedText("Orlix Preferences", "Title of the preferences window"));
    auto* layout = new QVBoxLayout(window_);
    tabView_ = new QTabWidget(window_);
    // The desktop's own icon of general settings, so that the tab looks like its neighbours.
    tabView_->addTab(general_->view(),
                     QIcon::fromTheme(QStringLiteral("preferences-system"),
                                      ApplicationBundle::generalPreferencesIcon()),
                     localizedText("General", "Preferences - tab"));
    layout->addWidget(tabView_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    window_->installEventFilter(this);
}

PreferencesWindowController::~PreferencesWindowController() {
    if (isWindowVisible()) {
        saveFrame();
    }
    // The window sends events while it is destroyed, when it is no longer a dialog.
    window_->removeEventFilter(this);
    // The pane's view belongs to the window.
    general_.reset();
    delete window_.data();
}

void PreferencesWindowController::showWindow() {
    general_->viewDidLoad();
    if (!std::exchange(frameRestored_, true)) {
        restoreFrame();
    }
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    WindowPresentation::activate(window_);
}

bool PreferencesWindowController::isWindowVisible() const {
    return window_ && window_->isVisible();
}

bool PreferencesWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched == window_) {
        saveFrame();
    }
    return QObject::eventFilter(watched, event);
}

void PreferencesWindowController::saveFrame() const {
    const QByteArray geometry = window_->saveGeometry();
    UserDefaults::standardUserDefaults()->setObject(
        PropertyList(PropertyList::Data(geometry.begin(), geometry.end())), frameAutosaveName);
}

void PreferencesWindowController::restoreFrame() {
    const auto stored = UserDefaults::standardUserDefaults()->objectForKey(frameAutosaveName);
    const auto* data = stored ? stored->dataValue() : nullptr;
    if (data) {
        window_->restoreGeometry(
            QByteArray(reinterpret_cast<const char*>(data->data()), qsizetype(data->size())));
    }
}

} // namespace orlix
