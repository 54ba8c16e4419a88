#pragma once

#include "Export/CancellableResult.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Uuid.h"

#include <functional>
#include <memory>
#include <set>

namespace orlix {

// Tells its owner when work begins and each time all of it has ended. Participants begin and
// complete under an identifier; the handlers run on the main queue, in the order they were
// posted. Safe to use from any thread.
class TaskGroup {
public:
    using BeganHandler = std::function<void()>;
    using CompletionHandler = std::function<void(const CancellableResult&)>;

    TaskGroup(BeganHandler beganHandler, CompletionHandler completionHandler);

    // Announces "began" when the group was idle; an identifier already in the group changes
    // nothing.
    virtual void begin(const Uuid& identifier);
    // Announces completion, with this result, whenever the group is left empty, also when the
    // identifier was not in it.
    virtual void complete(const Uuid& identifier, const CancellableResult& result);
    bool isEmpty() const;

    virtual ~TaskGroup() = default;

private:
    const std::shared_ptr<DispatchQueue> queue_ = DispatchQueue::create("TaskGroupDispatchQueue");
    std::set<Uuid> inProgress_;
    const BeganHandler beganHandler_;
    const CompletionHandler completionHandler_;
};

} // namespace orlix
