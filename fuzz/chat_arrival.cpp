// What a connected window does with data from the play server: arrivals cut
// into messages at CR LF, a chat line to the front of the chat box, anything
// else read as a key index. The input is cut into arrivals at NUL bytes; the
// first byte also gives a small chat box size, so that the cut at the box's
// end is exercised too.
#include "FuzzCheck.h"

#include "logic/net/WireFormat.h"
#include "logic/net/WireReader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {
constexpr std::size_t windowChatBytes = 64 * 1024;  // as the window keeps it

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

void arrive(std::string_view data, std::string& chat, std::size_t maxBytes)
{
    if (WireFormat::isChat(data)) {
        const std::string text = WireFormat::chatText(data);
        FUZZ_CHECK(text.size() + 1 == data.size());
        const bool wasValid = validUtf8(text) && validUtf8(chat);
        const std::string whole = text + "\r\n" + chat;
        chat = WireFormat::prependChat(text, chat, maxBytes);
        FUZZ_CHECK(chat.size() <= maxBytes);
        FUZZ_CHECK(whole.compare(0, chat.size(), chat) == 0);
        FUZZ_CHECK(!wasValid || validUtf8(chat));
    } else if (const auto index = WireFormat::noteIndex(data)) {
        FUZZ_CHECK(*index >= -32768);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t smallBox = size == 0 ? 0 : static_cast<unsigned char>(all[0]) % 64;

    std::string chat;
    std::string smallChat;
    WireReader reader;
    std::size_t start = 0;
    while (start <= all.size()) {
        const auto nul = all.find('\0', start);
        const std::string_view piece = all.substr(start, nul == std::string_view::npos ? all.npos : nul - start);
        for (const std::string& message : reader.take(piece)) {
            FUZZ_CHECK(!message.empty());
            FUZZ_CHECK(!reader.framed() || message.find("\r\n") == std::string::npos);
            arrive(message, chat, windowChatBytes);
            arrive(message, smallChat, smallBox);
        }
        if (nul == std::string_view::npos)
            break;
        start = nul + 1;
    }
    return 0;
}
