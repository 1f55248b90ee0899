/* The floor of bench/key_to_sound.sh: the least a program can take from a
 * key to sound through the same X server and sound server. A window that,
 * on each key press, writes a tone straight to the sound server on a stream
 * that is already open, and stops it at the key's release. Nothing else
 * runs between the key and the sound.
 *   bench_floor_click            (the sink comes from $PULSE_SINK)
 */
#include <X11/Xlib.h>
#include <pulse/pulseaudio.h>

#include <math.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>

#define RATE 48000
/* The tone is written ahead in pieces of 5 ms while the key is held. */
#define PIECE (RATE / 200)

static pa_threaded_mainloop* loop;
static pa_stream* stream;
static int held;
static long phase;

static void signal_loop(void* unused) { (void)unused; pa_threaded_mainloop_signal(loop, 0); }
static void context_state(pa_context* c, void* u) { (void)c; signal_loop(u); }
static void stream_state(pa_stream* s, void* u) { (void)s; signal_loop(u); }

/* Writes tone while the key is held; the server asks for more as it plays.
 * The first piece of a note goes where the server reads now: the stream ran
 * empty since the last note, and its write position lies behind. */
static void write_tone(size_t bytes, pa_seek_mode_t first)
{
    static short piece[PIECE];
    while (held && bytes >= sizeof piece) {
        for (int i = 0; i < PIECE; ++i, ++phase)
            piece[i] = (short)(8000 * sin(2 * M_PI * 440.0 * (double)phase / RATE));
        pa_stream_write(stream, piece, sizeof piece, NULL, 0, first);
        first = PA_SEEK_RELATIVE;
        bytes -= sizeof piece;
    }
}

static void write_request(pa_stream* s, size_t bytes, void* u)
{
    (void)s;
    (void)u;
    write_tone(bytes, PA_SEEK_RELATIVE);
}

static int connect_sound(void)
{
    loop = pa_threaded_mainloop_new();
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), "floor");
    pa_context_set_state_callback(context, context_state, NULL);
    if (pa_context_connect(context, NULL, PA_CONTEXT_NOAUTOSPAWN, NULL) < 0)
        return 0;
    pa_threaded_mainloop_lock(loop);
    pa_threaded_mainloop_start(loop);
    while (pa_context_get_state(context) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
            pa_threaded_mainloop_unlock(loop);
            return 0;
        }
        pa_threaded_mainloop_wait(loop);
    }
    const pa_sample_spec format = {PA_SAMPLE_S16LE, RATE, 1};
    stream = pa_stream_new(context, "floor", &format, NULL);
    pa_stream_set_state_callback(stream, stream_state, NULL);
    pa_stream_set_write_callback(stream, write_request, NULL);
    /* No prebuffering: whatever is written plays at the sink's next block. */
    const pa_buffer_attr attr = {(uint32_t)-1, 2 * sizeof(short) * PIECE, 0, sizeof(short) * PIECE, (uint32_t)-1};
    pa_stream_connect_playback(stream, NULL, &attr, PA_STREAM_ADJUST_LATENCY, NULL, NULL);
    while (pa_stream_get_state(stream) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            pa_threaded_mainloop_unlock(loop);
            return 0;
        }
        pa_threaded_mainloop_wait(loop);
    }
    pa_threaded_mainloop_unlock(loop);
    return 1;
}

int main(void)
{
    /* Real-time where granted (its threads inherit it): the floor is the
     * measurement's own latency, and should not wait for a busy core. */
    const struct sched_param realtime = {.sched_priority = 10};
    sched_setscheduler(0, SCHED_FIFO, &realtime);
    if (!connect_sound()) {
        fprintf(stderr, "bench_floor_click: no sound server\n");
        return 1;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "bench_floor_click: no display\n");
        return 1;
    }
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0xffffff);
    XStoreName(display, window, "floor click");
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask | ExposureMask);
    XMapWindow(display, window);
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress && !held) {
            pa_threaded_mainloop_lock(loop);
            held = 1;
            write_tone(4 * sizeof(short) * PIECE, PA_SEEK_RELATIVE_ON_READ);
            pa_threaded_mainloop_unlock(loop);
        } else if (event.type == KeyRelease) {
            /* A release directly followed by a press of the same key is auto-repeat. */
            if (XEventsQueued(display, QueuedAfterReading)) {
                XEvent next;
                XPeekEvent(display, &next);
                if (next.type == KeyPress && next.xkey.keycode == event.xkey.keycode &&
                    next.xkey.time == event.xkey.time) {
                    XNextEvent(display, &next);
                    continue;
                }
            }
            pa_threaded_mainloop_lock(loop);
            held = 0;
            pa_threaded_mainloop_unlock(loop);
        }
    }
}
