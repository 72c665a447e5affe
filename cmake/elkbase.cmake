# The library itself: every family's sources (cmake/core.cmake).
elk_dll(elkBase OUTPUT elkBase DEF elkBase.def SOURCES ${ELK_CORE_SOURCES} ${ELK_WIN_SOURCES})
target_compile_definitions(elkBase PRIVATE ELKBASE_BUILD)
target_include_directories(elkBase PRIVATE ${CMAKE_SOURCE_DIR})
elk_link(elkBase ozrCmnBS ozrCmnOS ozrCmnIS)
# System libraries beyond the toolchain's defaults: printing (alerts),
# Windows Sockets 1.1 (TCP layer and SMTP client).
target_link_libraries(elkBase PRIVATE gdi32 wsock32)
