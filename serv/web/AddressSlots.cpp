#include "AddressSlots.h"

#include <utility>

AddressSlots::Slot& AddressSlots::Slot::operator=(Slot&& other) noexcept
{
    if (this != &other) {
        release();
        counts_ = std::move(other.counts_);
        address_ = std::move(other.address_);
    }
    return *this;
}

void AddressSlots::Slot::release()
{
    if (!counts_)
        return;
    const auto it = counts_->find(address_);
    if (it != counts_->end() && --it->second <= 0)
        counts_->erase(it);
    counts_.reset();
}

std::optional<AddressSlots::Slot> AddressSlots::take(const std::string& address)
{
    int& count = (*counts_)[address];
    if (count >= most_) {
        if (count == 0)
            counts_->erase(address);
        return std::nullopt;
    }
    ++count;
    return Slot(counts_, address);
}

int AddressSlots::held(const std::string& address) const
{
    const auto it = counts_->find(address);
    return it == counts_->end() ? 0 : it->second;
}
