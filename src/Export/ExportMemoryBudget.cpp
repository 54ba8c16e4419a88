#include "Export/ExportMemoryBudget.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <limits>

namespace orlix {

namespace {

constexpr auto keepWaitingInterval = std::chrono::milliseconds(100);

std::uint64_t halfOfPhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return std::uint64_t(pages) * std::uint64_t(pageSize) / 2;
}

struct SharedBudget {
    std::mutex mutex;
    std::shared_ptr<ExportMemoryBudget> budget;
};

SharedBudget& sharedBudget() {
    static SharedBudget* const instance = new SharedBudget;
    return *instance;
}

} // namespace

ExportMemoryBudget::Admission::Admission(std::shared_ptr<ExportMemoryBudget> budget,
                                         std::uint64_t bytes)
    : budget_(std::move(budget))
    , bytes_(bytes) {}

ExportMemoryBudget::Admission::Admission(Admission&& other) noexcept
    : budget_(std::move(other.budget_))
    , bytes_(other.bytes_) {}

ExportMemoryBudget::Admission::~Admission() {
    if (budget_) {
        budget_->giveBack(bytes_);
    }
}

ExportMemoryBudget::ExportMemoryBudget(std::uint64_t bytes)
    : bytes_(bytes) {}

std::shared_ptr<ExportMemoryBudget> ExportMemoryBudget::shared() {
    auto& holder = sharedBudget();
    std::lock_guard lock(holder.mutex);
    if (!holder.budget) {
        holder.budget = std::make_shared<ExportMemoryBudget>(halfOfPhysicalMemory());
    }
    return holder.budget;
}

void ExportMemoryBudget::setShared(std::shared_ptr<ExportMemoryBudget> budget) {
    auto& holder = sharedBudget();
    std::lock_guard lock(holder.mutex);
    holder.budget = std::move(budget);
}

bool ExportMemoryBudget::fits(std::uint64_t bytes) const {
    return admittedCount_ == 0 || (admittedBytes_ <= bytes_ && bytes <= bytes_ - admittedBytes_);
}

std::optional<ExportMemoryBudget::Admission>
ExportMemoryBudget::admit(std::uint64_t bytes, const KeepWaiting& keepWaiting) {
    std::unique_lock lock(mutex_);
    const std::uint64_t ticket = nextTicket_++;
    waiting_.push_back(ticket);
    for (;;) {
        if (waiting_.front() == ticket && fits(bytes)) {
            waiting_.pop_front();
            admittedBytes_ += bytes;
            ++admittedCount_;
            // The next in line may fit too.
            changed_.notify_all();
            return Admission(shared_from_this(), bytes);
        }
        if (keepWaiting && !keepWaiting()) {
            waiting_.erase(std::find(waiting_.begin(), waiting_.end(), ticket));
            changed_.notify_all();
            return std::nullopt;
        }
        changed_.wait_for(lock, keepWaitingInterval);
    }
}

std::size_t ExportMemoryBudget::waitingCount() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

void ExportMemoryBudget::giveBack(std::uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        admittedBytes_ -= bytes;
        --admittedCount_;
    }
    changed_.notify_all();
}

} // namespace orlix
