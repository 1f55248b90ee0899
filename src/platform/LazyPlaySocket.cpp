#include "platform/LazyPlaySocket.h"

#include "platform/Logging.h"
#include "platform/net/NetLibraryApi.h"

#include <QSysInfo>
#include <QTimer>

#include <dlfcn.h>

LazyPlaySocket::LazyPlaySocket(std::string library) : library_(std::move(library)) {}

LazyPlaySocket::~LazyPlaySocket() = default;

bool LazyPlaySocket::load()
{
    if (socket_)
        return true;
    // Never closed again: Qt keeps what a loaded library registered with it.
    void* handle = dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* error = dlerror();
        qCWarning(lcNet, "no shared play: %s", error ? error : library_.c_str());
        return false;
    }
    const auto make = reinterpret_cast<VelorinNetSocketMaker>(dlsym(handle, VELORIN_NET_ENTRY));
    if (!make) {
        qCWarning(lcNet, "no shared play: %s is not a network library of this version of Velorin",
                  library_.c_str());
        return false;
    }
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
