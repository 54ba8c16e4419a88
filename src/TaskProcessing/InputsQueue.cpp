#include "TaskProcessing/InputsQueue.h"

#include "Platform/MainQueue.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace orlix {

std::shared_ptr<InputsQueue> InputsQueue::create(Processor processor,
                                                 std::shared_ptr<TaskGroup> taskGroup) {
    return std::shared_ptr<InputsQueue>(
        new InputsQueue(std::move(processor), std::move(taskGroup)));
}

InputsQueue::InputsQueue(Processor processor, std::shared_ptr<TaskGroup> taskGroup)
    : processor_(std::move(processor))
    , task_(taskGroup ? std::optional(TaskComponent(taskGroup)) : std::nullopt) {}

void InputsQueue::setItemsGeneratedCallback(ItemsGeneratedCallback callback) {
    itemsGeneratedCallback_ = std::move(callback);
}

void InputsQueue::setItemCancelledBeforeProcessingBeganCallback(ItemCancelledCallback callback) {
    itemCancelledBeforeProcessingBeganCallback_ = std::move(callback);
}

void InputsQueue::beginTask() {
    taskQueue_->async([task = task_] {
        if (task) {
            task->begin();
        }
    });
}

void InputsQueue::completeTask(CancellableResult result) {
    taskQueue_->async([task = task_, result = std::move(result)] {
        if (task) {
            task->complete(result);
        }
    });
}

void InputsQueue::addURLs(std::vector<Url> urls) {
    needSettingsQueue_->async([weak = weak_from_this(), urls = std::move(urls)] {
        if (const auto self = weak.lock()) {
            self->beginTask();
            self->needSettings_.insert(self->needSettings_.end(), urls.begin(), urls.end());
        }
    });
}

void InputsQueue::cancelURLsNeedingSettings() {
    inProgressQueue_->async([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        self->needSettingsQueue_->sync([&] { self->needSettings_.clear(); });
        if (self->isIdle()) {
            MainQueue::async([weak] {
                if (const auto queue = weak.lock()) {
                    queue->completeTask(CancellableResult::cancelled());
                }
            });
        }
    });
}

void InputsQueue::provideExportSettings(ExportSettings settings, OutputResolutionSet resolutions) {
    inProgressQueue_->async([weak = weak_from_this(), settings = std::move(settings), resolutions] {
        if (const auto self = weak.lock()) {
            self->handOut(settings, resolutions);
        }
    });
}

void InputsQueue::handOut(ExportSettings settings, const OutputResolutionSet& resolutions) {
    const auto urls = needSettingsQueue_->sync([&] { return std::exchange(needSettings_, {}); });
    const auto sizes = exportSizes(settings.exportConfig.resize, settings.resolution, resolutions);
    std::vector<Item> items;
    std::vector<ProcessingTaskInfo> infos;
    for (const auto& url : urls) {
        for (const auto& size : sizes) {
            items.push_back({Uuid(), url, settings, size});
            infos.push_back({items.back().identifier, url, settings, size});
        }
    }
    MainQueue::async([callback = itemsGeneratedCallback_, infos = std::move(infos)] {
        if (callback) {
            callback(infos);
        }
    });
    const auto batches = chunked(items, batchSize);
    for (std::size_t index = 0; index < batches.size(); ++index) {
        schedule(batches[index], index);
    }
}

void InputsQueue::schedule(std::vector<Item> batch, std::size_t index) {
    auto transfer = std::make_shared<TransferItem>();
    for (const auto& item : batch) {
        transfer->processingItemIdentifiers.push_back(item.identifier);
    }
    transfer->workItem = DispatchWorkItem::create([weak = weak_from_this(), batch] {
        if (const auto self = weak.lock()) {
            self->runBatch(batch);
        }
    });
    transferItems_.push_back(transfer);
    transfer->workItem->notify(inProgressQueue_, [weak = weak_from_this(),
                                                  listed = std::weak_ptr<TransferItem>(transfer)] {
        const auto self = weak.lock();
        const auto item = listed.lock();
        if (!self || !item) {
            return;
        }
        auto& list = self->transferItems_;
        const auto found = std::find(list.begin(), list.end(), item);
        if (found != list.end()) {
            list.erase(found);
        }
    });
    inProgressQueue_->asyncAfter(std::chrono::seconds(index), transfer->workItem);
}

void InputsQueue::runBatch(const std::vector<Item>& batch) {
    std::vector<ProcessingItem> processingItems;
    for (const auto& item : batch) {
        inProgress_.push_back(item);
        processingItems.push_back(
            {item.identifier, item.url, item.exportSettings, item.exportSize, [](const Uuid&) {},
             [weak = weak_from_this()](const Uuid& identifier, const CancellableResult&) {
                 if (const auto self = weak.lock()) {
                     self->postItemCompleted(identifier);
                 }
             }});
    }
    MainQueue::async([processor = processor_, processingItems = std::move(processingItems)] {
        processor(processingItems);
    });
}

void InputsQueue::postItemCompleted(const Uuid& identifier) {
    inProgressQueue_->async([weak = weak_from_this(), identifier] {
        if (const auto self = weak.lock()) {
            self->itemCompleted(identifier);
        }
    });
}

bool InputsQueue::isIdle() const {
    return inProgress_.empty() && transferItems_.empty();
}

void InputsQueue::itemCompleted(const Uuid& identifier) {
    const auto found = std::find_if(inProgress_.begin(), inProgress_.end(), [&](const Item& item) {
        return item.identifier == identifier;
    });
    if (found != inProgress_.end()) {
        inProgress_.erase(found);
    }
    if (!isIdle()) {
        return;
    }
    const bool nothingWaits = needSettingsQueue_->sync([&] { return needSettings_.empty(); });
    if (nothingWaits) {
        MainQueue::async([weak = weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->completeTask(CancellableResult::success());
            }
        });
    }
}

void InputsQueue::cancelPendingBatches() {
    inProgressQueue_->async([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        for (const auto& transfer : self->transferItems_) {
            transfer->workItem->cancel();
            for (const auto& identifier : transfer->processingItemIdentifiers) {
                if (self->itemCancelledBeforeProcessingBeganCallback_) {
                    self->itemCancelledBeforeProcessingBeganCallback_(identifier);
                }
                self->postItemCompleted(identifier);
            }
        }
        self->transferItems_.clear();
    });
}

} // namespace orlix
