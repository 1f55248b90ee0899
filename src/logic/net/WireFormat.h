#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Shared play's messages: plain text, one write each, each ended by CR LF
// (WireReader cuts arrivals at them; peers that read one arrival as one
// message still find the key index at its start). A key press is its key
// index in decimal; a chat line starts with ":".
namespace WireFormat {

inline constexpr int port = 9352;
inline constexpr std::string_view end = "\r\n";

std::string joinNotice(std::string_view host);
std::string keyPress(int index);
std::string chatLine(std::string_view sender, std::string_view text);

bool isChat(std::string_view data);
// The text a chat message shows: everything after its first character.
std::string chatText(std::string_view data);
// The key index at the start of a note message: blanks skipped, optional
// sign, digits; no digits is 0. Nothing when it does not fit 16 bits.
std::optional<std::int16_t> noteIndex(std::string_view data);

// The chat box's text after a message arrived: the message, CR LF, then the
// earlier text, cut to the newest maxBytes (whole UTF-8 characters).
std::string prependChat(std::string_view received, std::string_view earlier, std::size_t maxBytes);

}  // namespace WireFormat
