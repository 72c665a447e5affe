# Maintenance tasks: each task adds its own elk_family_sources() block.

# Firewall rules for the home-server connector.
elk_family_sources(
    WINDOWS
        whs_firewall.cpp
)
