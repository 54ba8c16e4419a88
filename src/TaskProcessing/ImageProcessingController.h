#pragma once

#include "Model/Preferences.h"
#include "Platform/NotificationCenter.h"
#include "Shared/AddImagesSettings.h"
#include "TaskProcessing/ActivityUIController.h"
#include "TaskProcessing/ApplicationModalUIState.h"
#include "TaskProcessing/ExportQueue.h"
#include "TaskProcessing/ExportSettingsDialog.h"
#include "TaskProcessing/FileChooser.h"
#include "TaskProcessing/ImageProcessingNotifications.h"
#include "TaskProcessing/InputsQueue.h"
#include "TaskProcessing/ProcessingTracker.h"
#include "TaskProcessing/TaskGroup.h"

#include <functional>
#include <memory>
#include <vector>

namespace orlix {

class ImageExportTask;
class ImageExportItem;
class ProcessingImage;

// The one entry through which images are added: requests wait on the inputs queue for their
// settings (fixed, last used, or chosen in the export-settings window), come back in batches,
// and each item becomes one export job with one activity row. Ends a run when all work is done,
// cancels everything on request, and keeps the export queue as wide as the performance
// preference says. Main thread only, except where noted.
class ImageProcessingController : public std::enable_shared_from_this<ImageProcessingController> {
public:
    // What the controller needs of the user interface and the service, supplied by its owner.
    struct Environment {
        std::function<std::unique_ptr<ExportSettingsDialog>()> makeSettingsDialog;
        std::function<std::unique_ptr<FileChooser>()> makeFileChooser;
        ActivityWindowFactory makeActivityWindow;
        // Tells the image-utilities service to stop at once; may take a moment, so it is called
        // off the main thread.
        std::function<void()> terminateImageUtilsService;
    };

    static std::shared_ptr<ImageProcessingController>
    create(std::shared_ptr<ApplicationModalUIState> applicationModalUIState,
           Environment environment);
    virtual ~ImageProcessingController();
    ImageProcessingController(const ImageProcessingController&) = delete;
    ImageProcessingController& operator=(const ImageProcessingController&) = delete;

    // One add-images request. The caller has kept only supported files and loaded the
    // preferences. With the settings window up, the files wait and share its outcome.
    void addImages(const std::vector<Url>& urls, AddImagesSettings::SettingsType settingsType,
                   const Preferences& preferences);
    // Shows the file chooser and requests the chosen files.
    void promptForFiles(AddImagesSettings::SettingsType settingsType);
    // Cancels every waiting batch and every export, and stops the service.
    void cancelAll();

    const std::shared_ptr<ActivityUIController>& activityUIController() const {
        return activityUIController_;
    }
    const std::shared_ptr<ProcessingTracker>& processingTracker() const {
        return processingTracker_;
    }
    const ExportQueue& exportQueue() const { return *exportQueue_; }
    const std::shared_ptr<TaskGroup>& applicationTaskGroup() const { return applicationTaskGroup_; }

protected:
    ImageProcessingController(std::shared_ptr<ApplicationModalUIState> applicationModalUIState,
                              Environment environment);

    // Wires the queues, observers and callbacks; the last step of creation.
    void didCreate();

    virtual void taskGroupBegan() {}
    virtual void taskGroupCompleted(const CancellableResult& result);
    virtual void postProcessingCompleted();
    virtual void showStandardUI();
    virtual void showActivityUI();

private:
    enum class UIState { none, settingsDialog, filePrompt };

    void setUIState(UIState state, bool openDialogVisible, bool settingsDialogVisible);
    void runSettingsStep(const Preferences& preferences);
    void process(const std::vector<InputsQueue::ProcessingItem>& items);
    template <typename Exporter, typename Row, typename Config>
    void startJob(const InputsQueue::ProcessingItem& item, Config config, bool isSlow);
    std::shared_ptr<ImageExportItem> makeExportItem(const InputsQueue::ProcessingItem& item);
    void addOperations(ImageExportTask& task);
    void exportItemBegan(const InputsQueue::ProcessingItem& item);
    void exportItemCompleted(const InputsQueue::ProcessingItem& item, const Uuid& identifier,
                             const CancellableResult& result, const std::optional<Url>& outputUrl,
                             const std::optional<ExportImageInfo>& info,
                             std::optional<std::uint64_t> originalFileSize,
                             std::optional<std::uint64_t> exportedFileSize);
    void completionDelayElapsed();
    // Runs on whichever thread changed the user defaults.
    void applyPerformancePreference();
    void terminateImageUtilsService();
    void post(const char* name);

    const std::shared_ptr<ApplicationModalUIState> applicationModalUIState_;
    const Environment environment_;
    std::unique_ptr<ExportQueue> exportQueue_;
    std::shared_ptr<TaskGroup> applicationTaskGroup_;
    std::shared_ptr<InputsQueue> inputsQueue_;
    std::shared_ptr<ActivityUIController> activityUIController_;
    std::shared_ptr<ProcessingTracker> processingTracker_;
    UIState uiState_ = UIState::none;
    std::unique_ptr<NotificationCenter::ObserverToken> processingBeganObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> userDefaultsDidChangeObserver_;
    // Stops the service without holding up the main thread.
    const std::shared_ptr<DispatchQueue> serviceQueue_ =
        DispatchQueue::create("co.corvendal.orlix.ImageProcessingController.ServiceQueue");
};

} // namespace orlix
