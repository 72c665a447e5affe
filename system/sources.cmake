elk_family_sources(
    CORE
        core/productinfo.cpp
    WINDOWS
        productinfo.cpp
    CORE_TESTS
        productinfo_test.cpp
)
