#include "HttpSession.h"

#include "DoorRules.h"
#include "WebDoor.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <limits>

namespace {
using namespace std::chrono_literals;

// After a last answer the door waits this long, reading and forgetting at
// most lingerBytes, before it closes: closing over unread bytes would reset
// the connection and could take the answer with it.
constexpr auto lingerTime = 2s;
constexpr std::size_t lingerBytes = 64 * 1024;
constexpr off_t sendfileChunk = 1 << 20;

// Browsers show this page for an address with nothing at it.
constexpr std::string_view notFoundPage =
    "<!doctype html>\n"
    "<html lang=\"en\">\n"
    "<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width\">\n"
    "<title>Not found</title>\n"
    "<h1>Not found</h1>\n"
    "<p>There is nothing at this address. The piano is at <a href=\"/\">/</a>, and a room at /r/ followed by its\n"
    "name: up to 32 letters, digits, - and _.</p>\n";

std::string httpDate(std::time_t when)
{
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

bool isParseError(const beast::error_code& error)
{
    return &error.category() == &http::make_error_code(http::error::bad_target).category() &&
           error != http::error::end_of_stream && error != http::error::partial_message;
}

char discard[4096];  // what a closing connection still sends; never looked at
}  // namespace

HttpSession::HttpSession(WebDoor& door, tcp::socket socket, tcp::endpoint from, std::optional<AddressSlots::Slot> slot)
    : door_(&door), socket_(std::move(socket)), from_(from), slot_(std::move(slot)), buffer_(maxHeader + 4096),
      deadline_(socket_.get_executor())
{
}

HttpSession::~HttpSession()
{
    if (door_)
        door_->ended(this);
}

void HttpSession::start()
{
    readRequest();
}

void HttpSession::close()
{
    done_ = true;
    deadline_.cancel();
    beast::error_code ignored;
    socket_.close(ignored);
    file_.reset();
}

void HttpSession::arm(std::chrono::steady_clock::duration time)
{
    deadline_.expires_after(time);
    deadline_.async_wait([self = weak_from_this()](beast::error_code error) {
        if (error)
            return;
        if (const auto session = self.lock())
            session->close();
    });
}

void HttpSession::readRequest()
{
    parser_.emplace();
    parser_->header_limit(maxHeader);
    // A body is refused unread, whatever its size. (Boost 1.74 takes "none"
    // here for a limit of nothing.)
    parser_->body_limit(std::numeric_limits<std::uint64_t>::max());
    arm(requestTime);
    http::async_read_header(socket_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code error, std::size_t) { self->requestRead(error); });
}

void HttpSession::requestRead(beast::error_code error)
{
    if (done_)
        return;
    keepAlive_ = false;
    if (error == http::error::header_limit || error == http::error::buffer_overflow) {
        // Refused unread: a request line that does not end within the bound
        // is an address too long (its target never came), else the headers
        // are too large.
        const bool longAddress = parser_->get().target().empty();
        reply(longAddress ? http::status::uri_too_long : http::status::request_header_fields_too_large,
              "text/plain; charset=utf-8", longAddress ? "Address too long.\n" : "Request headers too large.\n", true);
        return;
    }
    if (isParseError(error)) {
        reply(http::status::bad_request, "text/plain; charset=utf-8", "Bad request.\n", true);
        return;
    }
    if (error) {
        close();
        return;
    }
    answer();
}

void HttpSession::answer()
{
    const Request& request = parser_->get();
    keepAlive_ = request.keep_alive();
    if (websocket::is_upgrade(request)) {
        const Peer peer = door_->peerOf(from_, request);
        const WebDoor::Refusal refusal = door_->upgradeRefusal(request, peer);
        if (refusal.status != 0) {
            door_->logConnection("refuse " + peer.shown + " (" + refusal.why + ")");
            reply(static_cast<http::status>(refusal.status), "text/plain; charset=utf-8", refusal.why + "\n", true);
            return;
        }
        done_ = true;
        deadline_.cancel();
        WebDoor* door = door_;
        door->admit(std::move(socket_), parser_->release(), peer, std::move(slot_));
        return;
    }
    if (request.method() != http::verb::get && request.method() != http::verb::head) {
        refuseMethod();
        return;
    }
    if (!parser_->is_done()) {  // a body follows: refused before a byte of it is read
        reply(http::status::payload_too_large, "text/plain; charset=utf-8", "No body, please.\n", true);
        return;
    }
    // The page at the lobby's and every room's address; files by their
    // listed paths only, so "/../" and the like find nothing.
    const std::string_view target = request.target();
    const std::string path(target.substr(0, target.find('?')));
    const auto room = DoorRules::roomOfPath(path);
    const std::string file = door_->files().file(room ? std::string("/index.html") : path);
    if (file.empty()) {
        reply(http::status::not_found, "text/html; charset=utf-8", std::string(notFoundPage), false);
        return;
    }
    answerFile(file, request);
}

void HttpSession::refuseMethod()
{
    reply(http::status::method_not_allowed, "text/plain; charset=utf-8", "Only GET and HEAD.\n", true,
          {{http::field::allow, "GET, HEAD"}});
}

void HttpSession::answerFile(const std::string& path, const Request& request)
{
    file_ = Fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat about {};
    if (!file_.valid() || ::fstat(file_.get(), &about) != 0 || !S_ISREG(about.st_mode)) {
        file_.reset();
        reply(http::status::not_found, "text/html; charset=utf-8", std::string(notFoundPage), false);
        return;
    }
    // Validators, so that a browser keeps what it has (the SoundFont is
    // megabytes) and only asks whether it changed.
    char tag[64];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx\"", static_cast<unsigned long long>(about.st_size),
                  static_cast<unsigned long long>(about.st_mtim.tv_sec) * 1000000000ULL +
                      static_cast<unsigned long long>(about.st_mtim.tv_nsec));
    const std::string etag = tag;
    const std::string modified = httpDate(about.st_mtim.tv_sec);
    const std::string_view asked = request[http::field::if_none_match];
    const bool unchanged = !asked.empty() ? asked == "*" || asked.find(etag) != std::string_view::npos
                                          : request[http::field::if_modified_since] == modified;
    if (unchanged) {
        file_.reset();
        reply(http::status::not_modified, {}, {}, false,
              {{http::field::etag, etag}, {http::field::last_modified, modified}, {http::field::cache_control, "no-cache"}});
        return;
    }
    header_ = {};
    header_.version(11);
    header_.result(http::status::ok);
    header_.set(http::field::date, httpDate(std::time(nullptr)));
    header_.set(http::field::content_type, PageFiles::mimeType(path));
    header_.set("X-Content-Type-Options", "nosniff");
    header_.set(http::field::cache_control, "no-cache");
    header_.set(http::field::etag, etag);
    header_.set(http::field::last_modified, modified);
    header_.content_length(static_cast<std::uint64_t>(about.st_size));
    header_.keep_alive(keepAlive_);
    offset_ = 0;
    left_ = request.method() == http::verb::head ? 0 : about.st_size;
    arm(stallTime);
    http::async_write(socket_, header_, [self = shared_from_this()](beast::error_code error, std::size_t) {
        if (error || self->done_)
            return self->close();
        self->pump();
    });
}

void HttpSession::pump()
{
    beast::error_code ignored;
    socket_.native_non_blocking(true, ignored);
    bool moved = false;
    while (left_ > 0) {
        const ssize_t n = ::sendfile(socket_.native_handle(), file_.get(), &offset_, std::min(left_, sendfileChunk));
        if (n > 0) {
            left_ -= n;
            moved = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (moved)
                arm(stallTime);
            socket_.async_wait(tcp::socket::wait_write, [self = shared_from_this()](beast::error_code error) {
                if (error || self->done_)
                    return self->close();
                self->pump();
            });
            return;
        }
        return close();  // the file shrank, or the peer went
    }
    file_.reset();
    next();
}

void HttpSession::reply(http::status status, std::string_view type, std::string body, bool last,
                        std::initializer_list<std::pair<http::field, std::string>> extra)
{
    const bool head = parser_ && parser_->is_header_done() && parser_->get().method() == http::verb::head;
    response_ = {};
    response_.version(11);
    response_.result(status);
    response_.set(http::field::date, httpDate(std::time(nullptr)));
    if (!type.empty())
        response_.set(http::field::content_type, type);
    for (const auto& [field, value] : extra)
        response_.set(field, value);
    response_.body() = std::move(body);
    response_.keep_alive(!last && keepAlive_);
    response_.prepare_payload();
    if (head)
        response_.body().clear();  // Content-Length stays that of the body
    keepAlive_ = !last && keepAlive_;
    arm(stallTime);
    http::async_write(socket_, response_, [self = shared_from_this(), last](beast::error_code error, std::size_t) {
        if (error || self->done_)
            return self->close();
        if (last)
            self->linger();
        else
            self->next();
    });
}

void HttpSession::next()
{
    if (keepAlive_) {
        readRequest();
        return;
    }
    beast::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    close();
}

void HttpSession::linger()
{
    beast::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    arm(lingerTime);
    struct Drain {
        std::shared_ptr<HttpSession> self;
        std::size_t left;
        void operator()(beast::error_code error, std::size_t n)
        {
            if (error || n == 0 || n >= left || self->done_)
                return self->close();
            left -= n;
            self->socket_.async_read_some(asio::buffer(discard), std::move(*this));
        }
    };
    socket_.async_read_some(asio::buffer(discard), Drain{shared_from_this(), lingerBytes});
}
