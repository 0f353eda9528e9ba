# The packages users download: a per-user installer (NSIS, from our own template
# in cmake/nsis) and a portable ZIP holding the program alone. Made by `cpack`
# in the Windows build tree; scripts/package.sh does everything.
if(NOT WIN32)
    return()
endif()

install(TARGETS lunabel RUNTIME DESTINATION .)

set(CPACK_PACKAGE_NAME "Lunabel")
set(CPACK_PACKAGE_VENDOR "Lunabel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lunabel menstrual calendar")
# The version users see, as the program's own version resource names it.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(LUNABEL_PACKAGE_NAME "Lunabel-${CPACK_PACKAGE_VERSION}-win64")
set(CPACK_PACKAGE_FILE_NAME "${LUNABEL_PACKAGE_NAME}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Lunabel")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Lunabel")
set(CPACK_GENERATOR "NSIS;ZIP")
# The ZIP holds lunabel.exe itself, not a folder around it.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

set(CPACK_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/nsis")
set(CPACK_NSIS_PROGRAM_NAME "lunabel.exe")
set(CPACK_NSIS_FRAME_CLASS "LunabelFrame")
set(CPACK_NSIS_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
set(CPACK_NSIS_COPYRIGHT "Copyright (C) Lunabel")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/res/lunabel.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/res/lunabel.ico")

include(CPack)

if(LUNABEL_BUILD_TESTS)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/ship)
endif()
