#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

// How many connections each address holds, so that no one address takes
// every place. A slot is held as long as it lives.
class AddressSlots {
    using Counts = std::unordered_map<std::string, int>;

public:
    class Slot {
    public:
        Slot() = default;
        Slot(Slot&& other) noexcept = default;
        Slot& operator=(Slot&& other) noexcept;
        ~Slot() { release(); }

    private:
        friend class AddressSlots;
        Slot(std::shared_ptr<Counts> counts, std::string address) : counts_(std::move(counts)), address_(std::move(address)) {}
        void release();
        std::shared_ptr<Counts> counts_;  // outlives the door if a slot does
        std::string address_;
    };

    explicit AddressSlots(int most) : most_(most) {}
    // A slot of `address`, or nothing when it holds the most already.
    std::optional<Slot> take(const std::string& address);
    int held(const std::string& address) const;

private:
    std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
    int most_;
};
