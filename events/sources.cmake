# Boot-time scan: the three requests through the engine loader. Event log:
# the fixed answers. Sounds: event sounds through winmm, bound on first use.
# Notification events: named events between processes and the watcher thread
# that calls their callbacks. Scheduler: the thread that runs timed events.
elk_family_sources(
    WINDOWS
        boot_scan.cpp
        event_log.cpp
        sounds.cpp
        notify.cpp
        scheduler.cpp
)
# Secure desktop: a function run on a desktop of its own over a dimmed
# picture of the user's screen.
elk_family_sources(
    WINDOWS
        secure_desktop.cpp
        dimmed_picture.cpp
)
