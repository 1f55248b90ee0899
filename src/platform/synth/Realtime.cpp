#include "platform/synth/Realtime.h"

#include "platform/synth/SynthLibraryApi.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <memory>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
struct ConnectionCloser {
    void operator()(DBusConnection* c) const
    {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};
struct MessageUnref { void operator()(DBusMessage* m) const { dbus_message_unref(m); } };
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

constexpr const char* rtkitName = "org.freedesktop.RealtimeKit1";
constexpr const char* rtkitPath = "/org/freedesktop/RealtimeKit1";

// RealtimeKit's integer property, or -1.
long long rtkitProperty(DBusConnection* bus, const char* property)
{
    Message call(dbus_message_new_method_call(rtkitName, rtkitPath, "org.freedesktop.DBus.Properties", "Get"));
    if (!call)
        return -1;
    const char* interface = rtkitName;
    dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
    Message reply(dbus_connection_send_with_reply_and_block(bus, call.get(), 1000, nullptr));
    if (!reply)
        return -1;
    DBusMessageIter it, variant;
    if (!dbus_message_iter_init(reply.get(), &it) || dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_VARIANT)
        return -1;
    dbus_message_iter_recurse(&it, &variant);
    switch (dbus_message_iter_get_arg_type(&variant)) {
    case DBUS_TYPE_INT32: {
        dbus_int32_t v;
        dbus_message_iter_get_basic(&variant, &v);
        return v;
    }
    case DBUS_TYPE_INT64: {
        dbus_int64_t v;
        dbus_message_iter_get_basic(&variant, &v);
        return v;
    }
    default:
        return -1;
    }
}

bool throughRtkit(int priority, std::string& why)
{
    DBusError error;
    dbus_error_init(&error);
    Connection bus(dbus_bus_get_private(DBUS_BUS_SYSTEM, &error));
    if (!bus) {
        why = error.message ? error.message : "no system bus";
        dbus_error_free(&error);
        return false;
    }
    dbus_connection_set_exit_on_disconnect(bus.get(), false);
    const long long maxPriority = rtkitProperty(bus.get(), "MaxRealtimePriority");
    const long long maxTimeUs = rtkitProperty(bus.get(), "RTTimeUSecMax");
    if (maxPriority <= 0 || maxTimeUs <= 0) {
        why = "RealtimeKit does not answer";
        return false;
    }
    // RealtimeKit grants real-time only to a process that a runaway thread
    // cannot hang: one with a CPU-time limit for real-time threads.
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0 || limit.rlim_max == RLIM_INFINITY ||
        limit.rlim_max > static_cast<rlim_t>(maxTimeUs)) {
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(maxTimeUs);
        if (setrlimit(RLIMIT_RTTIME, &limit) != 0) {
            why = "the real-time CPU limit cannot be set";
            return false;
        }
    }
    Message call(dbus_message_new_method_call(rtkitName, rtkitPath, rtkitName, "MakeThreadRealtime"));
    if (!call)
        return false;
    dbus_uint64_t thread = static_cast<dbus_uint64_t>(syscall(SYS_gettid));
    dbus_uint32_t granted = static_cast<dbus_uint32_t>(std::min<long long>(priority, maxPriority));
    dbus_message_append_args(call.get(), DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32, &granted, DBUS_TYPE_INVALID);
    Message reply(dbus_connection_send_with_reply_and_block(bus.get(), call.get(), 1000, &error));
    if (!reply) {
        why = error.message ? error.message : "refused";
        dbus_error_free(&error);
        return false;
    }
    return true;
}
}  // namespace

namespace Realtime {

bool raiseThisThread(int priority, const SynthLog& log)
{
    sched_param param{};
    param.sched_priority = priority;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) {
        log(VELORIN_SYNTH_INFO, "the sound thread runs real-time (priority " + std::to_string(priority) + ")");
        return true;
    }
    std::string why;
    if (throughRtkit(priority, why)) {
        log(VELORIN_SYNTH_INFO, "the sound thread runs real-time through RealtimeKit");
        return true;
    }
    log(VELORIN_SYNTH_INFO, "the sound thread runs without real-time priority: " + why);
    return false;
}

}  // namespace Realtime
