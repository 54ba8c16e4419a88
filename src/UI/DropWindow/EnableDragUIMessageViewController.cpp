#include "UI/DropWindow/EnableDragUIMessageViewController.h"

#include "Platform/Localization.h"
#include "Platform/UserDefaults.h"
#include "Shared/DragUIModifierKeys.h"
#include "Shared/SharedDefinitions.h"
#include "UI/Common/MessageQuestionView.h"
#include "UI/Common/Palette.h"
#include "UI/DropWindow/DragUIAnimationView.h"

#include <QGuiApplication>

namespace orlix {

namespace {

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

} // namespace

EnableDragUIMessageViewController::EnableDragUIMessageViewController() {
    usingDragUIImageView_ = new DragUIAnimationView;
    view_ = new MessageQuestionView(
        {text("Drop images wherever you drag them", "Enable drag message - title"),
         text("When you drag PNG or JPEG files anywhere on the screen, Orlix can show its three "
              "drop zones right under the pointer.",
              "Enable drag message - explanation"),
         text("No Thanks", "Enable drag message - button"),
         text("Yes Please", "Enable drag message - button")},
        usingDragUIImageView_, [this] { doNoThanks(); }, [this] { doYesPlease(); });
    loadPicture();
    // The picture follows the desktop's light or dark scheme while the message is shown.
    appearanceChangedObserver_.emplace(view_, [this] { loadPicture(); });
}

EnableDragUIMessageViewController::~EnableDragUIMessageViewController() {
    appearanceChangedObserver_.reset();
    delete view_.data();
}

QWidget* EnableDragUIMessageViewController::view() const {
    return view_;
}

void EnableDragUIMessageViewController::loadPicture() {
    // The application's scheme, not the window's: the window only tells when it changed.
    if (usingDragUIImageView_) {
        usingDragUIImageView_->setDark(Palette::isDark(QGuiApplication::palette()));
    }
}

void EnableDragUIMessageViewController::choose(bool showDragUI) {
    // Closed whatever became of the answer: one that did not reach the disk is asked for again
    // at the next launch.
    storeChoice(showDragUI);
    if (const auto dismiss = dismisser) {
        dismiss();
    }
}

bool EnableDragUIMessageViewController::storeChoice(bool showDragUI) {
    const auto helper = UserDefaults::suite(helperBundleIdentifier);
    if (!helper || !helper->setObject(PropertyList(showDragUI), showUIOnImageFileDragDefaultsKey)) {
        return false;
    }
    // Keys the user chose in the preferences stay.
    if (!helper->objectForKey(dragUIModifierKeysDefaultsKey) &&
        !helper->setObject(PropertyList(DragUIModifierKeys::defaultKeys().rawValue()),
                           dragUIModifierKeysDefaultsKey)) {
        return false;
    }
    return UserDefaults::standardUserDefaults()->setObject(PropertyList(true),
                                                           displayedEnableDragUIMessageDefaultsKey);
}

} // namespace orlix
