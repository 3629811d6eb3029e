#pragma once
// Asks GStreamer whether it can make the elements Qt's GStreamer player is made of. Plain C++
// (no Qt), so that the start can ask it in a small process of its own: GStreamer's set-up
// allocates a great deal, and beside the window being built it would slow it down.
#include <string>

#include <dlfcn.h>

// The elements Qt's GStreamer player is made of, the playing bin first: the decoder of a source,
// the stream choosers and the video and sound branches with their converters and sinks.
inline constexpr const char* kGStreamerPlayerElements[] = {
    "playbin",  "uridecodebin", "input-selector", "queue",        "identity",      "capsfilter", "fakesink",
    "appsink",  "videoconvert", "videoscale",     "audioconvert", "audioresample", "volume",     "autoaudiosink",
};

struct tGStreamerAnswer {
    bool usable = false;
    std::string reason; // UTF-8, when not usable
};

// Loads and sets up GStreamer (it stays loaded and set up: Qt's backend uses it afterwards).
inline tGStreamerAnswer ProbeGStreamer() {
    // GLib's error record, as GStreamer's set-up fills it.
    struct tGError {
        unsigned domain;
        int code;
        char* message;
    };
    using GstInitCheck = int (*)(int* argc, char*** argv, tGError** error);
    using GstFactoryFind = void* (*)(const char* name);
    using GstObjectUnref = void (*)(void* object);
    using GErrorFree = void (*)(tGError* error);

    void* lib = dlopen("libgstreamer-1.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        return {false, std::string("GStreamer cannot be loaded: ") + (why ? why : "")};
    }
    const auto init = reinterpret_cast<GstInitCheck>(dlsym(lib, "gst_init_check"));
    const auto find = reinterpret_cast<GstFactoryFind>(dlsym(lib, "gst_element_factory_find"));
    const auto unref = reinterpret_cast<GstObjectUnref>(dlsym(lib, "gst_object_unref"));
    const auto freeError = reinterpret_cast<GErrorFree>(dlsym(lib, "g_error_free"));
    if (!init || !find || !unref) return {false, "GStreamer cannot be loaded: it lacks its set-up."};
    tGError* error = nullptr;
    if (!init(nullptr, nullptr, &error)) {
        std::string why = error && error->message ? error->message : "";
        if (error && freeError) freeError(error);
        return {false, "GStreamer cannot be set up: " + why};
    }
    std::string missing;
    for (const char* name : kGStreamerPlayerElements) {
        if (void* factory = find(name)) {
            unref(factory);
            continue;
        }
        if (!missing.empty()) missing += ", ";
        missing += name;
    }
    if (missing.empty()) return {true, {}};
    return {false, "GStreamer lacks the plugins that provide: " + missing};
}
