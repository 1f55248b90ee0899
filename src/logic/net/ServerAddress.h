#pragma once

#include <optional>
#include <string>
#include <string_view>

// A play server's address as the user types it: "host", "host:port",
// "[v6]:port" or "[v6]"; a bare IPv6 address ("::1") is a host. Without a
// port it is shared play's own, 9352.
struct ServerAddress {
    std::string host;
    int port = 0;

    // Nothing when the text names no server: empty, a port that is not
    // 1..65535, an unclosed bracket.
    static std::optional<ServerAddress> parse(std::string_view typed);
};
