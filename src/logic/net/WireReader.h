#pragma once

#include <string>
#include <string_view>
#include <vector>

// Cuts what arrives from the play server into messages. Velorin ends every
// message with CR LF, so two messages that travel in one arrival (a chord,
// a note and a chat line) stay two. A peer that never sends CR LF is read
// the old way: one arrival, one message.
class WireReader {
public:
    // The messages complete with this arrival, in order, without their CR LF.
    // Text after the last CR LF waits for the next arrival, once this
    // connection has sent CR LF at all.
    std::vector<std::string> take(std::string_view arrival);
    // A new connection: nothing waits, nothing is known of the peer.
    void reset();
    // True while text waits for its CR LF.
    bool waiting() const { return !partial_.empty(); }
    // Hands over the waiting text as a message as it stands. Called when no
    // more has come for holdMs: a peer that does not end its messages with
    // CR LF is then read one arrival, one message, even after CR LF was seen
    // from others on the same connection.
    std::vector<std::string> flush();

    // How long waiting text may wait for the rest of its line. Velorin's own
    // messages are a few bytes and travel whole, so a line split across
    // arrivals completes well within this.
    static constexpr int holdMs = 40;

    bool framed() const { return framed_; }

    // Text waiting for its CR LF beyond this is taken as a message as it
    // stands, so a peer that never ends its line cannot grow it for ever.
    static constexpr std::size_t maxWaiting = 1 << 20;

private:
    bool framed_ = false;
    std::string partial_;
};
