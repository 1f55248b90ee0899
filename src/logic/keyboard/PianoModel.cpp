#include "logic/keyboard/PianoModel.h"

#include <algorithm>

PianoModel::PianoModel(PianoOutput& output) : output_(output) {}

PianoModel::Voice* PianoModel::voice(int note)
{
    const auto it = std::find_if(voices_.begin(), voices_.end(), [&](const Voice& v) { return v.note == note; });
    return it == voices_.end() ? nullptr : &*it;
}

bool PianoModel::press(const PianoPress& p)
{
    const auto same = std::find_if(holds_.begin(), holds_.end(),
                                   [&](const Hold& h) { return h.source == p.source && h.id == p.id; });
    if (same != holds_.end()) {
        if (!p.strikeAgain)
            return false;
        // Struck again while held: it ends and starts anew, so the output
        // hears a note-off before the new note-on.
        endHold(same);
    }

    Hold hold{p.source, p.id, p.key, p.shown && valid(p.key), p.note};
    if (hold.shown && hold.note && !p.strikeAgain) {
        // A key that shows pressed does not sound again: this press holds
        // the note the key sounds already, whatever the base note became.
        if (const auto sounding = noteOfKey(hold.key))
            hold.note = sounding;
    }

    // The state changes first and the answers go out after, so that an
    // answer that leads back here finds everything in order.
    bool struck = false;
    std::optional<int> retriggerOffPatch;
    if (hold.note) {
        if (Voice* v = voice(*hold.note)) {
            if (p.strikeAgain) {
                retriggerOffPatch = v->offPatch;
                v->offPatch = p.offPatch;
                struck = true;
            }
            ++v->holds;
        } else {
            voices_.push_back(Voice{*hold.note, 1, p.offPatch});
            struck = true;
        }
    }
    bool show = false;
    if (hold.shown)
        show = lit_[static_cast<std::size_t>(hold.key)]++ == 0 || struck;
    holds_.push_back(hold);

    if (retriggerOffPatch)
        output_.noteOff(*hold.note, *retriggerOffPatch);
    if (struck)
        output_.noteOn(*hold.note, p.velocity);
    if (show)
        output_.showKey(hold.key, true, struck);
    return true;
}

PianoModel::Hold PianoModel::endHold(std::vector<Hold>::iterator it)
{
    const Hold hold = *it;
    holds_.erase(it);
    const bool unlit = hold.shown && --lit_[static_cast<std::size_t>(hold.key)] == 0;
    std::optional<Voice> ended;
    if (hold.note) {
        Voice* v = voice(*hold.note);
        if (v && --v->holds == 0) {
            ended = *v;
            voices_.erase(voices_.begin() + (v - voices_.data()));
        }
    }
    if (unlit)
        output_.showKey(hold.key, false, false);
    if (ended)
        output_.noteOff(ended->note, ended->offPatch);
    return hold;
}

std::optional<PianoModel::Hold> PianoModel::release(PianoSource source, int id)
{
    const auto it =
        std::find_if(holds_.begin(), holds_.end(), [&](const Hold& h) { return h.source == source && h.id == id; });
    if (it == holds_.end())
        return std::nullopt;
    return endHold(it);
}

void PianoModel::strayRelease(int key, int note, int offPatch)
{
    if (sounds(note))
        return;
    if (valid(key) && !lit(key))
        output_.showKey(key, false, false);
    output_.noteOff(note, offPatch);
}

void PianoModel::releaseSource(PianoSource source)
{
    // Looked up afresh each time: an answer may have changed the holds.
    for (;;) {
        const auto it =
            std::find_if(holds_.begin(), holds_.end(), [&](const Hold& h) { return h.source == source; });
        if (it == holds_.end())
            return;
        endHold(it);
    }
}

void PianoModel::releaseAll()
{
    while (!holds_.empty())
        endHold(holds_.begin());
}

bool PianoModel::lit(int key) const
{
    return valid(key) && lit_[static_cast<std::size_t>(key)] > 0;
}

bool PianoModel::sounds(int note) const
{
    return std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) { return v.note == note; });
}

bool PianoModel::heldBy(PianoSource source, int key) const
{
    return std::any_of(holds_.begin(), holds_.end(),
                       [&](const Hold& h) { return h.source == source && h.shown && h.key == key; });
}

std::vector<int> PianoModel::idsOf(PianoSource source) const
{
    std::vector<int> ids;
    for (const Hold& h : holds_)
        if (h.source == source)
            ids.push_back(h.id);
    return ids;
}

std::optional<int> PianoModel::noteOfKey(int key) const
{
    for (const Hold& h : holds_)
        if (h.shown && h.key == key && h.note)
            return h.note;
    return std::nullopt;
}
