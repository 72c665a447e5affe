# Boot-time scan: the three requests through the engine loader.
elk_family_sources(
    WINDOWS
        boot_scan.cpp
)
