#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Lets through one press and one release per stroke of a computer key,
// whatever the window system does while the key is held: repeats flagged as
// such, repeated presses with no release between them (X with detectable
// auto-repeat), and, when pairing is on, the release/press pairs that plain X
// auto-repeat sends with one timestamp.
class KeyRepeatFilter {
public:
    struct Stroke {
        std::uint32_t key = 0;    // the physical key (scan code), or the key when there is none
        std::uint64_t time = 0;   // the window system's timestamp
        bool flaggedRepeat = false;
        int code = 0;             // what the note handling receives
    };

    KeyRepeatFilter(std::function<void(int code)> down, std::function<void(int code)> up);

    // Holds each release back until the next event (or flush()) shows that
    // no press of the same key with the same timestamp follows it.
    void setPairReleases(bool on) { pairReleases_ = on; }
    bool pairReleases() const { return pairReleases_; }

    void press(const Stroke& s);
    void release(const Stroke& s);
    // Delivers a release held back; true when there was one.
    bool flush();
    bool hasPending() const { return pending_.has_value(); }
    // The keyboard went elsewhere: releases still to come will not be seen,
    // so no key counts as held any longer.
    void forgetHeld();
    // The chat line took the keyboard while keys were held: forgets them as
    // forgetHeld does, and mutes all but `except`, so that their auto-repeat
    // types nothing until they are released.
    void muteHeld(std::uint32_t except);
    // True when the event is one of a muted key and must go nowhere: its
    // repeats and its release. The next stroke of the key is no longer muted.
    bool muted(const Stroke& s, bool isRelease);
    // The keyboard left the window: releases may be missed, so nothing stays muted.
    void unmuteAll() { muted_.clear(); }

private:
    bool isHeld(std::uint32_t key) const;
    void unhold(std::uint32_t key);

    std::function<void(int)> down_;
    std::function<void(int)> up_;
    bool pairReleases_ = false;
    std::vector<std::uint32_t> held_;
    std::optional<Stroke> pending_;
    struct Muted {
        std::uint32_t key;
        std::optional<std::uint64_t> releasedAt;
    };
    std::vector<Muted> muted_;
};
