#pragma once

#include <gmime/gmime.h>
#include <memory>

// GMime must be initialised once per process before its first use; safe to
// call from any thread, any number of times.
void ensureGMimeInitialised();

// What GMime and GLib hand over is released on every way out, a throw
// included: a GObject (an address list, a message, a stream) by its
// reference, the rest by their own calls.
struct GMimeRelease {
    template <typename T>
    void operator()(T *object) const { g_object_unref(object); }
    void operator()(GMimeParserOptions *options) const { g_mime_parser_options_free(options); }
    void operator()(GDateTime *time) const { g_date_time_unref(time); }
};
template <typename T>
using GMimePtr = std::unique_ptr<T, GMimeRelease>;
