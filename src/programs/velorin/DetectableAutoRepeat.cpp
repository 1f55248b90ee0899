#include "DetectableAutoRepeat.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QtGui/qguiapplication_platform.h>

// The header names a member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <memory>

namespace {
Q_LOGGING_CATEGORY(lcKeys, "velorin.keys")
}

bool enableDetectableAutoRepeat()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const auto free = [](void* p) { std::free(p); };
    std::unique_ptr<xcb_xkb_use_extension_reply_t, decltype(free)> use(
        xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
                                    nullptr),
        free);
    if (!use || !use->supported)
        return false;
    constexpr auto flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    std::unique_ptr<xcb_xkb_per_client_flags_reply_t, decltype(free)> reply(
        xcb_xkb_per_client_flags_reply(c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
                                       nullptr),
        free);
    const bool on = reply && (reply->supported & flag) && (reply->value & flag);
    if (!on)
        qCInfo(lcKeys) << "the X server cannot mark auto-repeat; repeats are told apart by their timestamps";
    return on;
}
