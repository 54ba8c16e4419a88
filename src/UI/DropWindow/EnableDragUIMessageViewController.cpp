#include "UI/DropWindow/EnableDragUIMessageViewController.h"

#include "Platform/Localization.h"
#include "Platform/UserDefaults.h"
#include "Shared/DragUIModifierKeys.h"
#include "Shared/SharedDefinitions.h"
#include "UI/Common/MessageQuestionView.h"
#include "UI/Common/Palette.h"
#include "UI/DropWindow/DragUIAnimationView.h"

#include <QEvent>
#include <QGuiApplication>

namespace orlix {

namespace {

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

// Follows the desktop's light or dark scheme while the message is shown.
class AppearanceFilter final : public QObject {
public:
    AppearanceFilter(QObject* parent, std::function<void()> changed)
        : QObject(parent)
        , changed_(std::move(changed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ApplicationPaletteChange ||
            event->type() == QEvent::PaletteChange) {
            changed_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> changed_;
};

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
    view_->installEventFilter(new AppearanceFilter(view_, [this] { loadPicture(); }));
}

EnableDragUIMessageViewController::~EnableDragUIMessageViewController() {
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
