# Installation on Linux and the Debian package (`make deb`).
#
# `cmake --install` puts the stand-alone saver and the idle watcher into
# bin/, the module where xscreensaver looks for its programs, the module's
# settings file where its settings dialog reads them, the module's entry for
# the MATE and Cinnamon savers, and the manual pages, gzipped as Debian wants.

set(QUILVENMOOR_MAINTAINER "Quilvenmoor developers <quilvenmoor@example.org>" CACHE STRING "Maintainer named in the Debian package")

set(linux_dist ${PROJECT_SOURCE_DIR}/dist/linux)
set(compressed ${PROJECT_BINARY_DIR}/compressed)

# gzip -9n: best compression and no name or time stamp inside, so the same
# sources always give the same bytes.
function(quilvenmoor_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
        COMMAND gzip -9n -c ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# The manual pages and the settings file name the version: they are
# configured from the project's one version first.
foreach(name quilvenmoor.6 quilvenmoor-module.6 quilvenmoor-idle.1 quilvenmoor-module.xml)
    configure_file(${linux_dist}/${name}.in ${configured}/${name} @ONLY)
endforeach()

set(compressed_docs)
foreach(page quilvenmoor.6 quilvenmoor-module.6 quilvenmoor-idle.1)
    quilvenmoor_gzip(${configured}/${page} ${compressed}/${page}.gz)
    list(APPEND compressed_docs ${compressed}/${page}.gz)
endforeach()
quilvenmoor_gzip(${linux_dist}/changelog ${compressed}/changelog.gz)
add_custom_target(quilvenmoor_compressed_docs ALL DEPENDS ${compressed_docs} ${compressed}/changelog.gz)

# The installed programs are hardened as Debian builds its own: fortified
# library calls where the optimiser allows them (not under the sanitizers,
# which check those calls their own way), and relocations resolved and made
# read-only at start.
if(NOT QUILVENMOOR_SANITIZE AND NOT QUILVENMOOR_FUZZ)
    set(hardened quilvenmoor quilvenmoor_x11 quilvenmoor_core)
    if(TARGET quilvenmoor-module)
        list(APPEND hardened quilvenmoor-module quilvenmoor_module_options)
    endif()
    foreach(target quilvenmoor_wayland quilvenmoor_wayland_logic quilvenmoor-idle quilvenmoor_idle_logic)
        if(TARGET ${target})
            list(APPEND hardened ${target})
        endif()
    endforeach()
    foreach(target ${hardened})
        target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    endforeach()
endif()
foreach(target quilvenmoor quilvenmoor-module quilvenmoor-idle)
    if(TARGET ${target})
        target_link_options(${target} PRIVATE -Wl,-z,relro,-z,now)
    endif()
endforeach()

install(TARGETS quilvenmoor RUNTIME DESTINATION bin)
install(FILES ${compressed}/quilvenmoor.6.gz DESTINATION share/man/man6)
if(TARGET quilvenmoor-idle)
    # Beside the saver: the watcher runs the quilvenmoor of its own folder.
    install(TARGETS quilvenmoor-idle RUNTIME DESTINATION bin)
    install(FILES ${compressed}/quilvenmoor-idle.1.gz DESTINATION share/man/man1)
endif()
if(TARGET quilvenmoor-module)
    install(TARGETS quilvenmoor-module RUNTIME DESTINATION libexec/xscreensaver)
    install(FILES ${configured}/quilvenmoor-module.xml DESTINATION share/xscreensaver/config)
    install(FILES ${compressed}/quilvenmoor-module.6.gz DESTINATION share/man/man6)
    # The savers that read applications/screensavers run the module by its
    # full path, which is known only at installation (`cmake --install
    # --prefix`, or /usr in the package): the entry is written then.
    install(CODE "
        set(module_path \"\${CMAKE_INSTALL_PREFIX}/libexec/xscreensaver/quilvenmoor-module\")
        configure_file(\"${linux_dist}/quilvenmoor-screensaver.desktop.in\" \"${configured}/screensavers/quilvenmoor.desktop\" @ONLY)")
    install(FILES ${configured}/screensavers/quilvenmoor.desktop DESTINATION share/applications/screensavers)
endif()
install(FILES ${linux_dist}/copyright ${compressed}/changelog.gz DESTINATION share/doc/quilvenmoor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quilvenmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILVENMOOR_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver with a gliding logo and a running clock")
# CPack puts the summary in front as the synopsis line; the description
# names the watcher only when the package holds it.
set(idle_description ",")
if(TARGET quilvenmoor-idle)
    set(idle_description "; quilvenmoor-idle, which starts it after some
idle minutes on X11, on Wayland compositors and on GNOME, and stays away
while a film plays;")
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A framed logo with a clock under it glides sideways over a black screen,
or travels at a heading and bounces off the edges; a few keys steer it.
.
The package holds the stand-alone full-screen saver, quilvenmoor, which
runs on X11 and natively on Wayland compositors that offer the layer shell
(sway, KDE Plasma and others)${idle_description} and a module that runs the
same saver inside the windows of a screen-saver framework such as
xscreensaver or the MATE screen saver, one copy per monitor.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
# Depends comes from the libraries the binaries link against (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Only the programs and their files go into the package, not the tools and tests.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
