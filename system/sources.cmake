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
        sysinfo.cpp
        fullscreen.cpp
)
# Other anti-virus products, and write access for everyone.
elk_family_sources(
    WINDOWS
        other_av.cpp
        everyone_access.cpp
)
# Files, folders and processes: COM servers and their registration, temporary
# files and the cleaning of unpacking leftovers, the moved-files folder,
# network names of mapped drives, starting programs, auto-completion.
elk_family_sources(
    CORE
        core/file_names.cpp
    WINDOWS
        com_server.cpp
        temp_files.cpp
        move_folder.cpp
        user_areas.cpp
        execute.cpp
        autocomplete.cpp
    CORE_TESTS
        file_names_test.cpp
)
