# Maintenance tasks: each task adds its own elk_family_sources() block.
