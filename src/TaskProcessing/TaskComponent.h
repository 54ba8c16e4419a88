#pragma once

#include "TaskProcessing/TaskGroup.h"

#include <memory>

namespace orlix {

// One participant of a task group, which it never keeps alive: once the group is gone, beginning
// and completing do nothing.
class TaskComponent {
public:
    explicit TaskComponent(std::weak_ptr<TaskGroup> taskGroup)
        : taskGroup_(std::move(taskGroup)) {}

    const Uuid& identifier() const { return identifier_; }

    void begin() const {
        if (const auto group = taskGroup_.lock()) {
            group->begin(identifier_);
        }
    }
    void complete(const CancellableResult& result) const {
        if (const auto group = taskGroup_.lock()) {
            group->complete(identifier_, result);
        }
    }

private:
    std::weak_ptr<TaskGroup> taskGroup_;
    Uuid identifier_;
};

} // namespace orlix
