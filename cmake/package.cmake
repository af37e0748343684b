# Installing like a package on Linux and macOS: the programs in bin/, the sounds and the README
# in share/dxvane/, the manual pages, and the demo (its stand-ins in libexec/dxvane/, their data
# in share/dxvane/demo/, started by bin/dxvane-demo). CPack makes two Debian packages, dxvane
# and dxvane-demo, so that only the demo's stand-in needs cpp-httplib, and one .tar.gz of the
# whole tree. Windows has its release zip instead (release/).
include(GNUInstallDirs)

install(TARGETS dxvane vaneedit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT dxvane)
install(FILES ${CMAKE_BINARY_DIR}/bin/DXAlert.wav ${CMAKE_BINARY_DIR}/bin/StationAlert.wav ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dxvane COMPONENT dxvane)
# Manual pages and the changelog gzipped, as Debian keeps them (-n: the same bytes every build).
set(DXVANE_GZIPPED)
foreach(source man/dxvane.1 man/vaneedit.1 man/dxvane-demo.1 release/changelog)
  get_filename_component(name ${source} NAME)
  set(gzipped ${CMAKE_BINARY_DIR}/gz/${name}.gz)
  add_custom_command(OUTPUT ${gzipped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gz
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/${source} > ${gzipped}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND DXVANE_GZIPPED ${gzipped})
endforeach()
add_custom_target(gzipped_documents ALL DEPENDS ${DXVANE_GZIPPED})
install(FILES ${CMAKE_BINARY_DIR}/gz/dxvane.1.gz ${CMAKE_BINARY_DIR}/gz/vaneedit.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT dxvane)
install(FILES ${CMAKE_BINARY_DIR}/gz/dxvane-demo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT demo)
# Each Debian package carries its own changelog and copyright file.
foreach(component dxvane demo)
  set(package dxvane)
  if(component STREQUAL demo)
    set(package dxvane-demo)
  endif()
  install(FILES ${CMAKE_BINARY_DIR}/gz/changelog.gz ${CMAKE_SOURCE_DIR}/release/copyright
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

# The demo: the same script as tools/demo.sh, which finds the installed tree beside itself.
install(TARGETS qrz_double decode_feed RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/dxvane COMPONENT demo)
install(FILES ${CMAKE_SOURCE_DIR}/tools/qrz_stations.txt ${CMAKE_SOURCE_DIR}/tools/qrz_logbook.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dxvane/demo COMPONENT demo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/dxvane/demo/seed COMPONENT demo)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/demo.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME dxvane-demo COMPONENT demo)

set(CPACK_PACKAGE_NAME dxvane)
set(CPACK_PACKAGE_VENDOR "Dxvane")
set(CPACK_PACKAGE_CONTACT "Dxvane developers <support@dxvane.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description, its first line the summary; the others at most 79 characters,
# as Debian's tools show them as they stand.
set(CPACK_DEBIAN_DXVANE_DESCRIPTION
    "FT8 operating aid: who calls CQ and who calls you, looked up at QRZ
Dxvane runs beside WSJT-X. Every 15-second FT8 period the monitor, dxvane,
reads the decodes WSJT-X appended to ALL.TXT, picks out the stations calling CQ
and the stations calling you, looks each one up in the QRZ XML callsign service
and shows them in a coloured 140x43 table: name, city and country, DXCC entity,
bearing and distance, worked before, confirmed DX or new DX, with sound alerts.
vaneedit is the form for its eight settings.")
set(CPACK_DEBIAN_DEMO_DESCRIPTION
    "demo of the dxvane FT8 monitor, without an account, radio or WSJT-X
dxvane-demo runs the dxvane monitor on a local stand-in for the QRZ services
and on a made-up WSJT-X feed, in a scratch folder of its own, so that the
table, its colours and its alerts can be seen before anything is set up.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build" "/\\\\.git/" "/dist/" "/\\\\.deps/")

# Debian: dxvane_<version>_<arch>.deb and dxvane-demo_<version>_<arch>.deb, libraries found by
# dpkg-shlibdeps (libcurl for the programs, cpp-httplib for the demo's stand-in).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dxvane demo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_DXVANE_PACKAGE_NAME dxvane)
set(CPACK_DEBIAN_DXVANE_PACKAGE_RECOMMENDS "pulseaudio-utils | pipewire-bin | alsa-utils")  # a player for the alerts
set(CPACK_DEBIAN_DXVANE_PACKAGE_SUGGESTS "wsjtx, dxvane-demo")
set(CPACK_DEBIAN_DEMO_PACKAGE_NAME dxvane-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "dxvane (= ${PROJECT_VERSION})")

# The .tar.gz: the installed tree under dxvane-<version>-<system>/.
set(CPACK_ARCHIVE_FILE_NAME "dxvane-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")
if(APPLE)
  set(CPACK_GENERATOR "TGZ")
else()
  set(CPACK_GENERATOR "DEB;TGZ")
endif()
include(CPack)
