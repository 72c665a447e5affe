# Maintenance tasks: each task adds its own elk_family_sources() block.

# Repair of the Windows Sockets catalog.
elk_family_sources(
    CORE
        core/catalog_repair.cpp
    WINDOWS
        winsock_catalog.cpp
    CORE_TESTS
        catalog_repair_test.cpp
)

# Firewall rules for the home-server connector.
elk_family_sources(
    WINDOWS
        whs_firewall.cpp
)

# Update mirror task: settings of the mirror tool and the updater, and the
# mirror run, through the settings interface's copies.
elk_family_sources(
    CORE
        core/mirror_settings.cpp
    WINDOWS
        mirror_task.cpp
    CORE_TESTS
        mirror_settings_test.cpp
)
