#pragma once

// The door runs on Boost.Asio, one thread, with HTTP and WebSocket from
// Boost.Beast; these are the names it uses for them. (Boost 1.74 leaves
// out a header its C++20 parts need: <utility>.)
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace websocket = boost::beast::websocket;
using tcp = boost::asio::ip::tcp;

// A request as far as the door reads it: its header. Bodies are refused.
using Request = http::request<http::empty_body>;
