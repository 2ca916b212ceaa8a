# SPDX-License-Identifier: GPL-2.0-or-later
# Installation. The programs and the files each looks for beside itself (the captions, the
# schemes, the launcher file and its icon, glowrad beside glowra) share one folder,
# PREFIX/lib/kest; small start scripts put them on the search path. Desktop entries, icons,
# services and manual pages go where the desktop and the system look for them.
# cpack -G DEB builds the Debian package of it all.

set(KEST_PROGRAM_SUBDIR lib/kest)
set(KEST_MAN_DIR ${CMAKE_BINARY_DIR}/man)

install(TARGETS kest glowra glowrad procwarden DESTINATION ${KEST_PROGRAM_SUBDIR})
# ambid looks for nothing beside itself; it is a system daemon.
install(TARGETS ambid DESTINATION sbin)
install(FILES
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/glowrad.sch
    ${CMAKE_SOURCE_DIR}/data/ezx_kest_lang.cfg
    ${CMAKE_SOURCE_DIR}/data/applist.txt
    ${CMAKE_SOURCE_DIR}/data/alert.png
  DESTINATION ${KEST_PROGRAM_SUBDIR})

# Files that name the programs' folder are made when installing, so that they follow the
# prefix in force then (cpack installs below /usr whatever the build was configured with).
function(kest_install_configured template destination)
  cmake_parse_arguments(C "EXECUTABLE" "PROGRAM" "" ${ARGN})
  set(permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  if(C_EXECUTABLE)
    list(APPEND permissions OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
  endif()
  install(CODE "
    set(KEST_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${KEST_PROGRAM_SUBDIR}\")
    set(KEST_SBIN_DIR \"\${CMAKE_INSTALL_PREFIX}/sbin\")
    set(KEST_PROGRAM \"${C_PROGRAM}\")
    set(target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}\")
    message(STATUS \"Installing: \${target}\")
    configure_file(\"${template}\" \"\${target}\" @ONLY FILE_PERMISSIONS ${permissions})
  ")
endfunction()

foreach(program kest glowrad procwarden)
  kest_install_configured(${CMAKE_SOURCE_DIR}/cmake/start.sh.in bin/${program} EXECUTABLE
                          PROGRAM ${program})
endforeach()
kest_install_configured(${CMAKE_SOURCE_DIR}/cmake/glowra.sh.in bin/glowra EXECUTABLE)

# The desktop entries are named by the applications' reverse-DNS ids, which their AppStream
# metadata carries too; software centres pair the two by that name.
set(KEST_APP_ID_PREFIX "example.c_seed_9904930b" CACHE STRING
    "Reverse-DNS prefix of the desktop entries' and AppStream ids")
set(KEST_HOMEPAGE "https://c-seed-9904930b.example/kest" CACHE STRING
    "The project's home page; AppStream points there, and at its screenshots/ folder")
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/kest.desktop
  DESTINATION share/applications RENAME ${KEST_APP_ID_PREFIX}.kest.desktop)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/glowra.desktop
  DESTINATION share/applications RENAME ${KEST_APP_ID_PREFIX}.glowra.desktop)
kest_install_configured(${CMAKE_SOURCE_DIR}/data/desktop/procwarden.desktop.in
                        share/applications/${KEST_APP_ID_PREFIX}.procwarden.desktop)
set(KEST_SCREENSHOTS ${KEST_HOMEPAGE}/screenshots)
foreach(program kest glowra procwarden)
  set(KEST_APP_ID ${KEST_APP_ID_PREFIX}.${program})
  configure_file(${CMAKE_SOURCE_DIR}/data/metainfo/${program}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/metainfo/${KEST_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/metainfo/${KEST_APP_ID}.metainfo.xml DESTINATION share/metainfo)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/kest.svg ${CMAKE_SOURCE_DIR}/data/icons/glowra.svg
              ${CMAKE_SOURCE_DIR}/data/icons/procwarden.svg
  DESTINATION share/icons/hicolor/scalable/apps)

kest_install_configured(${CMAKE_SOURCE_DIR}/data/systemd/ambid.service.in
                        lib/systemd/system/ambid.service)
kest_install_configured(${CMAKE_SOURCE_DIR}/data/systemd/glowrad@.service.in
                        lib/systemd/user/glowrad@.service)

# Manual pages, compressed as Debian keeps them.
set(KEST_MAN_PAGES kest.1 glowra.1 glowrad.1 procwarden.1 ambid.8)
set(KEST_MAN_FILES)
foreach(page ${KEST_MAN_PAGES})
  set(compressed ${KEST_MAN_DIR}/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KEST_MAN_DIR}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/docs/man/${page} > ${compressed}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}
    VERBATIM)
  list(APPEND KEST_MAN_FILES ${compressed})
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${compressed} DESTINATION share/man/man${section})
endforeach()
add_custom_target(man-pages ALL DEPENDS ${KEST_MAN_FILES})

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/kest)

# Debian's documents: the machine-readable copyright file, the package's changelog (compressed,
# as policy has it), and the lintian warnings that are meant, each with its reason.
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright DESTINATION share/doc/kest)
set(KEST_CHANGELOG ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
add_custom_command(OUTPUT ${KEST_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/cmake/debian/changelog > ${KEST_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/debian/changelog
  VERBATIM)
add_custom_target(debian-changelog ALL DEPENDS ${KEST_CHANGELOG})
install(FILES ${KEST_CHANGELOG} DESTINATION share/doc/kest)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/lintian-overrides DESTINATION share/lintian/overrides
        RENAME kest)

# The changelog's newest entry is the version being built: a new version needs a new entry.
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/debian/changelog KEST_CHANGELOG_TOP LIMIT_COUNT 1)
set(KEST_DEBIAN_REVISION 1)
if(NOT KEST_CHANGELOG_TOP MATCHES "^kest \\(${PROJECT_VERSION}-${KEST_DEBIAN_REVISION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog starts with '${KEST_CHANGELOG_TOP}', "
                      "not with version ${PROJECT_VERSION}-${KEST_DEBIAN_REVISION}: add an entry")
endif()

# The Debian package. Libraries come from the programs themselves (dpkg-shlibdeps); the rest
# is what they start or show: the archiving tools, ps for glowra's "Stop daemon", a font with
# the Chinese captions, and Qt's SVG plugins, which the windows' icons are drawn with but no
# program links. tar and gzip are essential and go unnamed; nothing needs a particular version
# of any of these.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kest developers <maintainers@users.noreply.c-seed-9904930b.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "archive manager, light show, process manager and backlight daemon")
# Debian keeps the lines of a description below 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "Five small programs from a Linux phone, on Qt 6: Kest, an archive manager
for tar.gz, tar, gz, bz2, zip and rar archives; glowra, a light-show panel that
flashes the lights to the microphone, and glowrad, its daemon that plays light
schemes while a call rings; procwarden, a process manager with a launcher menu;
and ambid, a daemon that steers the backlight with the camera as a light meter.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KEST_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# libsystemd0 is loaded at the first bus call, not linked, so dpkg-shlibdeps cannot see it;
# sd_bus_message_readv, the newest call taken from it, came with systemd 240.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "bzip2, xz-utils, zstd, unzip, unrar-free, 7zip | p7zip-full, procps, \
fonts-wqy-microhei, libqt6svg6, libsystemd0 (>= 240)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "unar, lzip, qt6-wayland, pipewire-pulse | pulseaudio")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/cmake/debian/postinst ${CMAKE_SOURCE_DIR}/cmake/debian/prerm
    ${CMAKE_SOURCE_DIR}/cmake/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
