#pragma once

#include "AddressSlots.h"
#include "Asio.h"
#include "Fd.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class WebDoor;

// One HTTP connection to the door: requests one at a time, each answered
// before the next is read, so a client that sends many and reads none holds
// one answer, not many. Headers are read up to a bound and within a time;
// bodies are never read; files go from the page cache to the socket
// (sendfile), never through the door's memory. A WebSocket upgrade that the
// door accepts is handed over to it.
class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    // The request line and the headers together, at most.
    static constexpr std::size_t maxHeader = 8 * 1024;
    // For a whole request header to arrive, from the first byte awaited.
    static constexpr std::chrono::seconds requestTime{10};
    // For an answer to make any progress.
    static constexpr std::chrono::seconds stallTime{30};

    HttpSession(WebDoor& door, tcp::socket socket, tcp::endpoint from, std::optional<AddressSlots::Slot> slot);
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    void start();
    // The door is going.
    void close();
    void forgetDoor() { door_ = nullptr; }

private:
    void readRequest();
    void requestRead(beast::error_code error);
    void answer();
    void refuseMethod();
    void answerFile(const std::string& path, const Request& request);
    void reply(http::status status, std::string_view type, std::string body, bool last,
               std::initializer_list<std::pair<http::field, std::string>> extra = {});
    void pump();
    void next();
    void linger();
    void arm(std::chrono::steady_clock::duration time);

    WebDoor* door_;  // none once the door is gone
    tcp::socket socket_;
    tcp::endpoint from_;
    std::optional<AddressSlots::Slot> slot_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::empty_body>> parser_;
    asio::steady_timer deadline_;
    http::response<http::string_body> response_;
    http::response<http::empty_body> header_;
    Fd file_;
    off_t offset_ = 0;
    off_t left_ = 0;
    bool keepAlive_ = false;
    bool done_ = false;
};
