# The library itself: every family's sources (cmake/core.cmake).
elk_dll(elkBase OUTPUT elkBase DEF ${CMAKE_SOURCE_DIR}/elkBase.def IMPLIB DEFINES ELKBASE_BUILD
    SOURCES ${ELK_CORE_SOURCES} ${ELK_WIN_SOURCES})
elk_link(elkBase ozrCmnBS ozrCmnOS ozrCmnIS)
# System libraries beyond the toolchain's defaults: printing (alerts),
# Windows Sockets 1.1 (TCP layer and SMTP client), COM and the shell's
# folders (submission).
target_link_libraries(elkBase PRIVATE gdi32 wsock32 ole32 shell32)
# Files' version information.
target_link_libraries(elkBase PRIVATE version)
# BSTR texts of the firewall's COM interfaces.
target_link_libraries(elkBase PRIVATE oleaut32)
# Network names of mapped drives.
target_link_libraries(elkBase PRIVATE mpr)
