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

    bool framed() const { return framed_; }

    // Text waiting for its CR LF beyond this is taken as a message as it
    // stands, so a peer that never ends its line cannot grow it for ever.
    static constexpr std::size_t maxWaiting = 1 << 20;

private:
    bool framed_ = false;
    std::string partial_;
};
