#include "Export/Codec/ColourHistogram.h"

#include <bit>

namespace orlix {
namespace {

std::size_t bucketOf(std::uint32_t key) {
    for (int round = 0; round < 5; ++round) {
        key -= std::rotl(key, 19);
    }
    return key & 0xFFFFu;
}

} // namespace

ColourHistogram::ColourHistogram()
    : buckets_(bucketCount, nullptr) {}

HistogramEntry* ColourHistogram::find(std::uint32_t key) const {
    for (HistogramEntry* entry = buckets_[bucketOf(key)]; entry != nullptr;
         entry = entry->nextInBucket) {
        if (entry->key == key) {
            return entry;
        }
    }
    return nullptr;
}

HistogramEntry& ColourHistogram::add(std::uint32_t key, bool& inserted) {
    HistogramEntry*& head = buckets_[bucketOf(key)];
    for (HistogramEntry* entry = head; entry != nullptr; entry = entry->nextInBucket) {
        if (entry->key == key) {
            ++entry->count;
            inserted = false;
            return *entry;
        }
    }
    if (size_ % blockSize == 0) {
        blocks_.push_back(std::make_unique<HistogramEntry[]>(blockSize));
    }
    HistogramEntry& entry = blocks_.back()[size_ % blockSize];
    ++size_;
    entry.key = key;
    entry.count = 1;
    entry.forgetMapping();
    entry.nextInBucket = head;
    head = &entry;
    inserted = true;
    return entry;
}

} // namespace orlix
