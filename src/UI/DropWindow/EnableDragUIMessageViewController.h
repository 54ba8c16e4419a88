#pragma once

#include "UI/Common/AppearanceChangedObserver.h"
#include "UI/Common/MessageQuestionView.h"
#include "UI/Common/MessageViewController.h"
#include "UI/DropWindow/DragUIAnimationView.h"

#include <QPointer>

#include <optional>

namespace orlix {

// The first-run invitation to turn on the drag panel: when image files are dragged anywhere on
// the screen, the helper shows the three drop zones under the pointer. A short picture shows it,
// light or dark as the desktop is. Either answer is stored and closes the message. Main thread
// only.
class EnableDragUIMessageViewController final : public MessageViewController {
public:
    EnableDragUIMessageViewController();
    ~EnableDragUIMessageViewController() override;
    EnableDragUIMessageViewController(const EnableDragUIMessageViewController&) = delete;
    EnableDragUIMessageViewController& operator=(const EnableDragUIMessageViewController&) = delete;

    QWidget* view() const override;
    MessageQuestionView* questionView() const { return view_; }
    DragUIAnimationView* usingDragUIImageView() const { return usingDragUIImageView_; }

    void doNoThanks() { choose(false); }
    void doYesPlease() { choose(true); }

    // Writes the helper's two keys and, once they are on disk, the flag that the question was
    // answered; false when something did not reach the disk, so that it is asked again.
    static bool storeChoice(bool showDragUI);

private:
    void choose(bool showDragUI);
    void loadPicture();

    QPointer<MessageQuestionView> view_;
    QPointer<DragUIAnimationView> usingDragUIImageView_;
    std::optional<AppearanceChangedObserver> appearanceChangedObserver_;
};

} // namespace orlix
