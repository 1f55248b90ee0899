#include "platform/LazyPlaySocket.h"

#include "platform/Logging.h"
#include "platform/PrivateLibrary.h"
#include "platform/net/NetLibraryApi.h"

#include <QSysInfo>
#include <QTimer>

LazyPlaySocket::LazyPlaySocket(std::string library) : library_(std::move(library)) {}

LazyPlaySocket::~LazyPlaySocket() = default;

bool LazyPlaySocket::load()
{
    if (socket_)
        return true;
    const auto make = reinterpret_cast<VelorinNetSocketMaker>(
        PrivateLibrary::entry(library_, VELORIN_NET_ENTRY, lcNet(), "no shared play"));
    if (!make)
        return false;
    socket_.reset(make());
    socket_->onConnected = [this] {
        if (onConnected)
            onConnected();
    };
    socket_->onData = [this](const std::string& data) {
        if (onData)
            onData(data);
    };
    socket_->onError = [this] {
        if (onError)
            onError();
    };
    return true;
}

int LazyPlaySocket::state() const
{
    return socket_ ? socket_->state() : closed;
}

void LazyPlaySocket::connectTo(const std::string& host, int port)
{
    if (load()) {
        socket_->connectTo(host, port);
        return;
    }
    // Fail the way a failed connection does, from the event loop.
    QTimer::singleShot(0, &context_, [this] {
        if (onError)
            onError();
    });
}

void LazyPlaySocket::close()
{
    if (socket_)
        socket_->close();
}

void LazyPlaySocket::send(std::string_view bytes)
{
    if (socket_)
        socket_->send(bytes);
}

std::string LazyPlaySocket::localHostName() const
{
    return QSysInfo::machineHostName().toStdString();
}
