#pragma once

#include "Export/CancellableResult.h"
#include "Model/ExportSettings.h"
#include "Model/ExportSize.h"
#include "Platform/DispatchQueue.h"
#include "Platform/DispatchWorkItem.h"
#include "Platform/Url.h"
#include "Platform/Uuid.h"
#include "TaskProcessing/ProcessingTaskInfo.h"
#include "TaskProcessing/TaskComponent.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orlix {

// Where added files wait for their export settings. Once the settings are known, each file
// becomes one item per export size; all items are announced at once and released to the
// processor in batches of 10, one batch per second, so that a large drop does not flood the
// export queue and the activity window. Takes part in the application's task group while any
// file waits, any batch is scheduled or any item is in progress.
class InputsQueue : public std::enable_shared_from_this<InputsQueue> {
public:
    struct ProcessingItem {
        Uuid identifier;
        Url url;
        ExportSettings exportSettings;
        ExportSize exportSize;
        std::function<void(const Uuid&)> processingBeganHandler;
        std::function<void(const Uuid&, const CancellableResult&)> processingCompletedHandler;
    };

    using Processor = std::function<void(const std::vector<ProcessingItem>&)>;
    using ItemsGeneratedCallback = std::function<void(const std::vector<ProcessingTaskInfo>&)>;
    using ItemCancelledCallback = std::function<void(const Uuid&)>;

    static constexpr std::size_t batchSize = 10;

    static std::shared_ptr<InputsQueue> create(Processor processor,
                                               std::shared_ptr<TaskGroup> taskGroup);
    virtual ~InputsQueue() = default;

    // Set once, right after creation. Items generated: on the main queue. Items cancelled before
    // their batch began: on the queue that guards the items in progress.
    void setItemsGeneratedCallback(ItemsGeneratedCallback callback);
    void setItemCancelledBeforeProcessingBeganCallback(ItemCancelledCallback callback);

    virtual void addURLs(std::vector<Url> urls);
    virtual void cancelURLsNeedingSettings();
    virtual void provideExportSettings(ExportSettings settings, OutputResolutionSet resolutions);
    virtual void cancelPendingBatches();

    // Consecutive chunks of `size` elements, the last one shorter.
    template <typename T>
    static std::vector<std::vector<T>> chunked(const std::vector<T>& elements, std::size_t size);

protected:
    InputsQueue(Processor processor, std::shared_ptr<TaskGroup> taskGroup);

private:
    struct Item {
        Uuid identifier;
        Url url;
        ExportSettings exportSettings;
        ExportSize exportSize;
    };
    // One scheduled batch, listed until it has run or been cancelled.
    struct TransferItem {
        std::vector<Uuid> processingItemIdentifiers;
        std::shared_ptr<DispatchWorkItem> workItem;
    };

    // On the in-progress queue.
    void handOut(ExportSettings settings, const OutputResolutionSet& resolutions);
    void schedule(std::vector<Item> batch, std::size_t index);
    void runBatch(const std::vector<Item>& batch);
    void itemCompleted(const Uuid& identifier);
    void postItemCompleted(const Uuid& identifier);
    bool isIdle() const;

    void beginTask();
    void completeTask(CancellableResult result);

    const std::shared_ptr<DispatchQueue> needSettingsQueue_ =
        DispatchQueue::create("co.corvendal.orlix.InputsQueue.NeedSettingsQueue");
    // Kept for its label; nothing runs on it.
    const std::shared_ptr<DispatchQueue> transferQueue_ =
        DispatchQueue::create("co.corvendal.orlix.InputsQueue.TransferQueue");
    const std::shared_ptr<DispatchQueue> inProgressQueue_ =
        DispatchQueue::create("co.corvendal.orlix.InputsQueue.InProgressQueue");
    const std::shared_ptr<DispatchQueue> taskQueue_ =
        DispatchQueue::create("co.corvendal.orlix.InputsQueue.TaskQueue");

    // Set before any work is posted; read on the queues afterwards.
    ItemsGeneratedCallback itemsGeneratedCallback_;
    ItemCancelledCallback itemCancelledBeforeProcessingBeganCallback_;
    const Processor processor_;
    const std::optional<TaskComponent> task_;

    // On the need-settings queue.
    std::vector<Url> needSettings_;
    // On the in-progress queue.
    std::vector<Item> inProgress_;
    std::vector<std::shared_ptr<TransferItem>> transferItems_;
};

template <typename T>
std::vector<std::vector<T>> InputsQueue::chunked(const std::vector<T>& elements, std::size_t size) {
    std::vector<std::vector<T>> chunks;
    for (std::size_t start = 0; start < elements.size(); start += size) {
        const auto end = elements.begin() + std::ptrdiff_t(std::min(start + size, elements.size()));
        chunks.emplace_back(elements.begin() + std::ptrdiff_t(start), end);
    }
    return chunks;
}

} // namespace orlix
