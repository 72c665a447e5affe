elk_family_sources(
    CORE
        core/productinfo.cpp
    WINDOWS
        productinfo.cpp
    CORE_TESTS
        productinfo_test.cpp
)
# File versions, and the system and session queries.
elk_family_sources(
    WINDOWS
        file_version.cpp
)
