#pragma once

#include "logic/recording/Player.h"
#include "logic/take/TakeTee.h"

// The window as the event log's replay drives it, with its notes kept out of
// the take: a replay is never recorded.
class UntakenPlayerHost : public PlayerHost {
public:
    UntakenPlayerHost(PlayerHost& window, TakeTee& tee) : window_(window), tee_(tee) {}

    void setCaption(const std::string& caption) override { window_.setCaption(caption); }
    void NoteOn(int index) override
    {
        TakeTee::Pause pause(tee_);
        window_.NoteOn(index);
    }
    void NoteOff(int index) override
    {
        TakeTee::Pause pause(tee_);
        window_.NoteOff(index);
    }
    std::string timesText() const override { return window_.timesText(); }
    std::int16_t tempoValue() const override { return window_.tempoValue(); }

private:
    PlayerHost& window_;
    TakeTee& tee_;
};
