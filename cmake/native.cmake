# Native build of the portable core: tests under AddressSanitizer and UBSan,
# libFuzzer targets (with clang), and optimised benchmarks.
set(ELK_SAN -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Werror -g)

add_library(elkcore STATIC ${ELK_CORE_SOURCES})
target_include_directories(elkcore PUBLIC ${ELK_CORE_INCLUDE})
target_compile_options(elkcore PUBLIC ${ELK_SAN})
target_link_options(elkcore PUBLIC ${ELK_SAN})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources do not build warning-free with our flags.
foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -Wno-error ${ELK_SAN})
endforeach()

# The suite's portable simple coding, for the tests and fuzzers of what the
# core reads and writes coded (the DLL calls the suite's library instead).
add_library(suitecode STATIC ${CMAKE_SOURCE_DIR}/suite/ozrCmnIS/simplecode.cpp)
target_link_libraries(suitecode PUBLIC elkcore)

add_executable(core_tests ${ELK_CORE_TESTS})
target_link_libraries(core_tests PRIVATE elkcore suitecode gmock_main)
add_test(NAME native/core COMMAND core_tests)

# A libFuzzer target over the core, with a short run as a test: a fixed seed,
# the committed seed corpus, and new inputs written into the build folder.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # The core once more with libFuzzer's coverage, so that the fuzzers are
    # guided by the code they test, not only by their own source.
    add_library(elkcore_fuzz STATIC ${ELK_CORE_SOURCES} ${CMAKE_SOURCE_DIR}/suite/ozrCmnIS/simplecode.cpp)
    target_include_directories(elkcore_fuzz PUBLIC ${ELK_CORE_INCLUDE})
    target_compile_options(elkcore_fuzz PUBLIC ${ELK_SAN} PRIVATE -fsanitize=fuzzer-no-link)
    target_link_options(elkcore_fuzz PUBLIC ${ELK_SAN})
    function(elk_fuzzer name source)
        add_executable(fuzz_${name} ${source})
        target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(fuzz_${name} PRIVATE elkcore_fuzz)
        set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
        file(MAKE_DIRECTORY ${work})
        add_test(NAME native/fuzz_${name}
                 COMMAND fuzz_${name} -seed=1 -max_total_time=4 -print_final_stats=1 ${work}
                         ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
    endfunction()
    if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/CMakeLists.txt)
        add_subdirectory(fuzz)
    endif()
endif()

# Benchmarks: the core again, optimised and without sanitizers. Built, not run
# by the tests.
find_package(benchmark QUIET)
if(benchmark_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
    add_library(elkcore_fast STATIC ${ELK_CORE_SOURCES})
    target_include_directories(elkcore_fast PUBLIC ${ELK_CORE_INCLUDE})
    target_compile_options(elkcore_fast PRIVATE -O2 -DNDEBUG)
    function(elk_bench name)
        cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
        add_executable(bench_${name} ${A_SOURCES})
        target_compile_options(bench_${name} PRIVATE -O2 -DNDEBUG)
        target_link_libraries(bench_${name} PRIVATE elkcore_fast benchmark::benchmark ${A_LIBS})
    endfunction()
    add_subdirectory(bench)
endif()
