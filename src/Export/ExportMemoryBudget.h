#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace orlix {

// The memory the exports in flight may take together: half of physical memory. An export states
// what it will take before it reads its image, and waits while that would take the sum past the
// budget. Exports are let in in the order they asked, and one alone is always let in however
// large it is, so that no export waits for ever; where memory allows, every export the queue
// starts runs at once.
class ExportMemoryBudget : public std::enable_shared_from_this<ExportMemoryBudget> {
public:
    // An export's share, given back when it is destroyed.
    class Admission {
    public:
        Admission(Admission&& other) noexcept;
        Admission& operator=(Admission&&) = delete;
        ~Admission();

    private:
        friend class ExportMemoryBudget;
        Admission(std::shared_ptr<ExportMemoryBudget> budget, std::uint64_t bytes);

        std::shared_ptr<ExportMemoryBudget> budget_;
        std::uint64_t bytes_;
    };

    // True while the export still wants to run.
    using KeepWaiting = std::function<bool()>;

    explicit ExportMemoryBudget(std::uint64_t bytes);

    // The budget every export asks; half of physical memory unless replaced.
    static std::shared_ptr<ExportMemoryBudget> shared();
    // Tests give the exports a budget of their own; nullptr restores half of physical memory.
    static void setShared(std::shared_ptr<ExportMemoryBudget> budget);

    // Returns once `bytes` fit beside what the exports let in before take, or none is in; nothing
    // when `keepWaiting` answers false first (it is asked at least every tenth of a second).
    std::optional<Admission> admit(std::uint64_t bytes, const KeepWaiting& keepWaiting);

    std::uint64_t bytes() const { return bytes_; }
    // The exports waiting to be let in.
    std::size_t waitingCount() const;

private:
    bool fits(std::uint64_t bytes) const;
    void giveBack(std::uint64_t bytes);

    const std::uint64_t bytes_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t admittedBytes_ = 0;
    std::size_t admittedCount_ = 0;
    // The tickets of the waiting exports, in the order they asked.
    std::deque<std::uint64_t> waiting_;
    std::uint64_t nextTicket_ = 0;
};

} // namespace orlix
