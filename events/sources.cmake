# Boot-time scan: the three requests through the engine loader. Notification
# events: named events between processes and the watcher thread that calls
# their callbacks.
elk_family_sources(
    WINDOWS
        boot_scan.cpp
        notify.cpp
)
