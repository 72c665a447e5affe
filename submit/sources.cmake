elk_family_sources(
    CORE
        core/property_record.cpp
    WINDOWS
        properties.cpp
    CORE_TESTS
        property_record_test.cpp
)
