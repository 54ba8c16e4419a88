#include "TaskProcessing/ImageProcessingController.h"

#include "Platform/LargeMemory.h"

#include "Export/JPEGImageExporter.h"
#include "Export/PNGImageExporter.h"
#include "Platform/MainQueue.h"
#include "Platform/UserDefaults.h"
#include "Shared/ImageFileType.h"
#include "TaskProcessing/JPEGProcessingImage.h"
#include "TaskProcessing/PNGProcessingImage.h"
#include "TaskProcessing/TaskComponent.h"
#include "TaskProcessing/ThumbnailCache.h"

#include <chrono>

namespace orlix {

namespace {

// A run that ends normally shows the drop window this long after its last task, unless new work
// has arrived meanwhile, and announces its end a little later, after the statistics are cleared.
constexpr auto completionDelay = std::chrono::seconds(5);
constexpr auto resetDelay = std::chrono::milliseconds(300);

} // namespace

std::shared_ptr<ImageProcessingController>
ImageProcessingController::create(std::shared_ptr<ApplicationModalUIState> applicationModalUIState,
                                  Environment environment) {
    std::shared_ptr<ImageProcessingController> controller(
        new ImageProcessingController(std::move(applicationModalUIState), std::move(environment)));
    controller->didCreate();
    return controller;
}

ImageProcessingController::ImageProcessingController(
    std::shared_ptr<ApplicationModalUIState> applicationModalUIState, Environment environment)
    : applicationModalUIState_(std::move(applicationModalUIState))
    , environment_(std::move(environment))
    , activityUIController_(
          ActivityUIController::create(ThumbnailCache::shared(), environment_.makeActivityWindow))
    , processingTracker_(ProcessingTracker::create()) {
    auto queue = std::make_shared<OperationQueue>();
    exportQueue_ = std::make_unique<ExportQueue>(queue, Preferences::load().performance);
}

ImageProcessingController::~ImageProcessingController() = default;

void ImageProcessingController::didCreate() {
    // The handlers hold the controller weakly: it lives for the process anyway, and a strong
    // hold would keep it and its queues alive in a cycle.
    const std::weak_ptr<ImageProcessingController> weak = weak_from_this();
    activityUIController_->setActivitiesCancelledCallback([weak] {
        if (const auto self = weak.lock()) {
            self->cancelAll();
        }
    });
    auto& center = NotificationCenter::defaultCenter();
    userDefaultsDidChangeObserver_ =
        center.addObserver(UserDefaults::didChangeNotification,
                           UserDefaults::standardUserDefaults().get(), [weak](const Notification&) {
                               if (const auto self = weak.lock()) {
                                   self->applyPerformancePreference();
                               }
                           });
    processingBeganObserver_ = center.addObserver(processingTrackerProcessingBeganNotification,
                                                  nullptr, [weak](const Notification&) {
                                                      if (const auto self = weak.lock()) {
                                                          self->showActivityUI();
                                                      }
                                                  });
    applicationTaskGroup_ = std::make_shared<TaskGroup>(
        [weak] {
            if (const auto self = weak.lock()) {
                self->taskGroupBegan();
            }
        },
        [weak](const CancellableResult& result) {
            if (const auto self = weak.lock()) {
                self->taskGroupCompleted(result);
            }
        });
    inputsQueue_ = InputsQueue::create(
        [weak](const std::vector<InputsQueue::ProcessingItem>& items) {
            if (const auto self = weak.lock()) {
                self->process(items);
            }
        },
        applicationTaskGroup_);
    inputsQueue_->setItemsGeneratedCallback([weak](const std::vector<ProcessingTaskInfo>& tasks) {
        if (const auto self = weak.lock()) {
            self->processingTracker_->addPreNotifiedTasks(tasks);
        }
    });
    // Runs on the inputs queue's thread, so it holds the tracker alone: were it to hold the
    // controller while the controller's last owner let go, the controller and the windows it owns
    // would be destroyed on that thread.
    inputsQueue_->setItemCancelledBeforeProcessingBeganCallback(
        [tracker = std::weak_ptr<ProcessingTracker>(processingTracker_)](const Uuid& identifier) {
            if (const auto held = tracker.lock()) {
                held->markCompleted(identifier,
                                    TaskStats{CancellableResult::cancelled(), std::nullopt,
                                              std::nullopt, std::nullopt, std::nullopt});
            }
        });
}

void ImageProcessingController::setUIState(UIState state, bool openDialogVisible,
                                           bool settingsDialogVisible) {
    uiState_ = state;
    applicationModalUIState_->setOpenDialogVisible(openDialogVisible);
    applicationModalUIState_->setSettingsDialogVisible(settingsDialogVisible);
}

void ImageProcessingController::addImages(const std::vector<Url>& urls,
                                          AddImagesSettings::SettingsType settingsType,
                                          const Preferences& preferences) {
    if (urls.empty()) {
        return;
    }
    inputsQueue_->addURLs(urls);
    // The files wait and share the outcome of the dialog that is up.
    if (uiState_ != UIState::none) {
        return;
    }
    switch (settingsType) {
    case AddImagesSettings::SettingsType::quickOptimize:
        return inputsQueue_->provideExportSettings(ExportSettings::defaultSettings(),
                                                   resolutions(preferences.resolutions));
    case AddImagesSettings::SettingsType::usePreviousSettings:
        return inputsQueue_->provideExportSettings(preferences.currentExportSettings,
                                                   resolutions(preferences.resolutions));
    case AddImagesSettings::SettingsType::resizeAndOptimize:
        break;
    }
    runSettingsStep(preferences);
}

void ImageProcessingController::runSettingsStep(const Preferences& preferences) {
    setUIState(UIState::settingsDialog, false, true);
    const auto dialog =
        environment_.makeSettingsDialog ? environment_.makeSettingsDialog() : nullptr;
    // A window that cannot be shown leaves the files waiting for the next request's settings.
    if (dialog && dialog->loadWindow()) {
        dialog->configure(preferences.currentExportSettings, preferences.userPresets,
                          preferences.userSelectedPresetTitle);
        const bool confirmed = dialog->runModal();
        dialog->close();
        Preferences updated = preferences;
        updated.userPresets = dialog->userPresets();
        if (confirmed) {
            updated.currentExportSettings = dialog->exportSettings();
            updated.userSelectedPresetTitle = dialog->userSelectedPresetTitle();
            updated.save();
            inputsQueue_->provideExportSettings(updated.currentExportSettings,
                                                resolutions(preferences.resolutions));
        } else {
            updated.save();
            inputsQueue_->cancelURLsNeedingSettings();
        }
    }
    setUIState(UIState::none, false, false);
}

void ImageProcessingController::promptForFiles(AddImagesSettings::SettingsType settingsType) {
    if (uiState_ != UIState::none) {
        return;
    }
    setUIState(UIState::filePrompt, true, false);
    const TaskComponent task(applicationTaskGroup_);
    task.begin();
    const auto chooser = environment_.makeFileChooser ? environment_.makeFileChooser() : nullptr;
    const auto chosen = chooser ? chooser->runModal() : std::nullopt;
    setUIState(UIState::none, false, false);
    if (chosen) {
        addImages(ImageFileType::supportedImageURLs(*chosen), settingsType, Preferences::load());
    } else {
        inputsQueue_->cancelURLsNeedingSettings();
    }
    // What the chosen files requested has joined the group before the prompt leaves it. A
    // dismissed panel is a failure without an error, not a cancel: the run ends as usual.
    task.complete(chosen ? CancellableResult::success() : CancellableResult::failure());
    setUIState(UIState::none, false, false);
}

void ImageProcessingController::process(const std::vector<InputsQueue::ProcessingItem>& items) {
    for (const auto& item : items) {
        processingTracker_->markQueued(item.identifier);
        const auto& format = item.exportSettings.exportConfig.format;
        const bool png =
            format.kind() == ExportFormat::Kind::png ||
            (format.kind() == ExportFormat::Kind::fileType && ImageFileType::isPNGFile(item.url));
        if (png) {
            const auto& config = format.pngConfig();
            startJob<PNGImageExporter, PNGProcessingImage>(item, config,
                                                           config.highQuality || config.useZopfli);
        } else {
            startJob<JPEGImageExporter, JPEGProcessingImage>(item, format.jpegConfig(), false);
        }
    }
}

template <typename Exporter, typename Row, typename Config>
void ImageProcessingController::startJob(const InputsQueue::ProcessingItem& item, Config config,
                                         bool isSlow) {
    Exporter exporter(makeExportItem(item), config);
    const auto row = Row::create(item.identifier, item.exportSize, item.url, isSlow);
    exporter.setStatusUpdater(Row::statusUpdater(row));
    exporter.setImageInfoUpdater(ProcessingImage::imageInfoUpdater(row));
    activityUIController_->addProcessingImage(row);
    addOperations(exporter);
}

std::shared_ptr<ImageExportItem>
ImageProcessingController::makeExportItem(const InputsQueue::ProcessingItem& item) {
    const std::weak_ptr<ImageProcessingController> weak = weak_from_this();
    return std::make_shared<ImageExportItem>(
        item.identifier, item.url, item.exportSize,
        [weak, item](const Uuid&) {
            if (const auto self = weak.lock()) {
                self->exportItemBegan(item);
            }
        },
        [weak, item](const Uuid& identifier, const CancellableResult& result,
                     const std::optional<Url>& outputUrl,
                     const std::optional<ExportImageInfo>& info,
                     std::optional<std::uint64_t> original, std::optional<std::uint64_t> exported) {
            if (const auto self = weak.lock()) {
                self->exportItemCompleted(item, identifier, result, outputUrl, info, original,
                                          exported);
            }
        });
}

void ImageProcessingController::addOperations(ImageExportTask& task) {
    for (auto& operation : task.operations()) {
        exportQueue_->queue()->addOperation(std::move(operation));
    }
}

void ImageProcessingController::exportItemBegan(const InputsQueue::ProcessingItem& item) {
    processingTracker_->markInProgress(item.identifier);
    if (item.processingBeganHandler) {
        item.processingBeganHandler(item.identifier);
    }
}

void ImageProcessingController::exportItemCompleted(const InputsQueue::ProcessingItem& item,
                                                    const Uuid& identifier,
                                                    const CancellableResult& result,
                                                    const std::optional<Url>& outputUrl,
                                                    const std::optional<ExportImageInfo>& info,
                                                    std::optional<std::uint64_t> originalFileSize,
                                                    std::optional<std::uint64_t> exportedFileSize) {
    processingTracker_->markCompleted(
        identifier, TaskStats{result, outputUrl, info, originalFileSize, exportedFileSize});
    if (item.processingCompletedHandler) {
        item.processingCompletedHandler(identifier, result);
    }
}

void ImageProcessingController::taskGroupCompleted(const CancellableResult& result) {
    ThumbnailCache::shared()->clear();
    // The memory the exports kept for each other goes back to the system with the run.
    LargeMemory::trim();
    if (result.kind() == CancellableResult::Kind::cancelled) {
        showStandardUI();
        postProcessingCompleted();
        processingTracker_->reset();
        return;
    }
    MainQueue::asyncAfter(completionDelay,
                          [self = shared_from_this()] { self->completionDelayElapsed(); });
}

void ImageProcessingController::completionDelayElapsed() {
    // New work has joined meanwhile: its own completion ends the run.
    if (!applicationTaskGroup_->isEmpty()) {
        return;
    }
    showStandardUI();
    MainQueue::asyncAfter(resetDelay, [self = shared_from_this()] {
        self->processingTracker_->reset();
        self->postProcessingCompleted();
    });
}

void ImageProcessingController::post(const char* name) {
    NotificationCenter::defaultCenter().post(name, this);
}

void ImageProcessingController::postProcessingCompleted() {
    post(imageProcessingCompletedNotification);
}

void ImageProcessingController::showStandardUI() {
    post(imageProcessingHideActivityUINotification);
    post(imageProcessingShowStandardUINotification);
}

void ImageProcessingController::showActivityUI() {
    post(imageProcessingHideStandardUINotification);
    post(imageProcessingShowActivityUINotification);
}

void ImageProcessingController::cancelAll() {
    inputsQueue_->cancelPendingBatches();
    exportQueue_->queue()->cancelAllOperations();
    terminateImageUtilsService();
}

void ImageProcessingController::terminateImageUtilsService() {
    if (environment_.terminateImageUtilsService) {
        serviceQueue_->async(environment_.terminateImageUtilsService);
    }
}

void ImageProcessingController::applyPerformancePreference() {
    exportQueue_->apply(Preferences::load().performance);
}

} // namespace orlix
