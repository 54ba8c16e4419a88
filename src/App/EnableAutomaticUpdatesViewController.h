#pragma once

#include "UI/Common/MessageQuestionView.h"
#include "UI/Common/MessageViewController.h"

#include <QPointer>

#include <memory>

namespace orlix {

class Updater;

// The first-run question whether Orlix may check for updates by itself. Either answer is kept,
// and the question is not asked again. Main thread only.
class EnableAutomaticUpdatesViewController final : public MessageViewController {
public:
    explicit EnableAutomaticUpdatesViewController(std::shared_ptr<Updater> updater);
    ~EnableAutomaticUpdatesViewController() override;
    EnableAutomaticUpdatesViewController(const EnableAutomaticUpdatesViewController&) = delete;
    EnableAutomaticUpdatesViewController&
    operator=(const EnableAutomaticUpdatesViewController&) = delete;

    QWidget* view() const override;
    MessageQuestionView* questionView() const { return view_; }

    void doDontCheck() { choose(false); }
    void doCheckAutomatically() { choose(true); }

private:
    void choose(bool automaticChecks);
    void storeAutomaticUpdatesChoice(bool automaticChecks);

    std::shared_ptr<Updater> updater_;
    QPointer<MessageQuestionView> view_;
};

} // namespace orlix
