# Installation and the Debian package.
#
# `cmake --install` puts the program, its tools, the movie and the information file together
# in one folder, ${CMAKE_INSTALL_PREFIX}/${BRENNIX_INSTALL_DIR} (the program finds the other
# files beside itself, through symbolic links), a command on the PATH that links to it, the
# desktop entry, the icon in the hicolor theme and the MIME type of the data files (*.nsr).
#
# For the system (the package), configure with -DCMAKE_INSTALL_PREFIX=/ : the program goes
# to /opt/brennix and, as GNUInstallDirs does for that prefix, the rest under /usr
# (/usr/bin/brennix, /usr/share/...). Then `cpack -G DEB` in the build folder.
#
# The program, nsrtool and the movie are installed by the folders that build them.

set(brennix_share ${CMAKE_INSTALL_DATAROOTDIR})
set(brennix_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

install(FILES ${PROJECT_SOURCE_DIR}/res/n_info.xml DESTINATION ${BRENNIX_INSTALL_DIR})

if(TARGET brennix)
    # The command on the PATH: a link that points into the program's folder, relative when
    # both lie under the prefix so the tree can be moved as a whole.
    if(IS_ABSOLUTE "${BRENNIX_INSTALL_DIR}")
        set(link_target "${BRENNIX_INSTALL_DIR}/brennix")
    elseif(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
        set(link_target "${CMAKE_INSTALL_PREFIX}/${BRENNIX_INSTALL_DIR}/brennix")
    else()
        file(RELATIVE_PATH link_target "/${CMAKE_INSTALL_BINDIR}" "/${BRENNIX_INSTALL_DIR}/brennix")
    endif()
    set(link_dir ${CMAKE_CURRENT_BINARY_DIR}/packaging/bin)
    file(MAKE_DIRECTORY ${link_dir})
    file(CREATE_LINK "${link_target}" ${link_dir}/brennix SYMBOLIC)
    install(FILES ${link_dir}/brennix DESTINATION ${CMAKE_INSTALL_BINDIR})

    install(FILES ${brennix_packaging_dir}/brennix.desktop DESTINATION ${brennix_share}/applications)
    install(FILES ${brennix_packaging_dir}/brennix-mime.xml DESTINATION ${brennix_share}/mime/packages
            RENAME brennix.xml)
    foreach(size 16 32 48 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/res/pictures/app_${size}.png
                DESTINATION ${brennix_share}/icons/hicolor/${size}x${size}/apps RENAME brennix.png)
    endforeach()
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brennix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Puts together a configuration from the TARVOS-N product series as a reference model, and\n"
    "saves and opens selection data files (*.nsr).")
set(BRENNIX_PACKAGE_CONTACT "TARVOS-N series maintainers <maintainers@brennix.invalid>"
    CACHE STRING "Maintainer named in the package")
set(CPACK_PACKAGE_CONTACT "${BRENNIX_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
    # The libraries the executables link, as the system's packages name them.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libwxgtk3.2-1, libwxgtk-webview3.2-1, libnettle8, libpugixml1v5, libcurl4")
endif()
# The download pages open in the browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
