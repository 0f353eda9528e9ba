# libpng (with zlib) for the picture decoder, GoogleTest for the tests.

if(MINGW)
    # Static zlib: the program must import nothing but Windows' own DLLs.
    set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)

if(LUNABEL_BUILD_TESTS)
    find_package(GTest QUIET)
    if(NOT GTest_FOUND OR CMAKE_CROSSCOMPILING)
        # Debian ships GoogleTest as sources; build them for the target.
        set(LUNABEL_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
        set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(${LUNABEL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        # GoogleTest 1.11 and later define some of these names themselves.
        foreach(lib gtest gtest_main gmock)
            if(NOT TARGET GTest::${lib})
                add_library(GTest::${lib} ALIAS ${lib})
            endif()
        endforeach()
    endif()
    include(GoogleTest)
endif()

# The Windows benchmark prints its own figures.
if(LUNABEL_BENCH AND NOT WIN32)
    find_package(benchmark REQUIRED)
endif()
