# Installing like a package on Linux and macOS: the programs in bin/, the sounds and the README
# in share/dxvane/, the manual pages, and the demo (its stand-ins in libexec/dxvane/, their data
# in share/dxvane/demo/, started by bin/dxvane-demo). CPack makes the Debian package and a
# .tar.gz of the same tree. Windows has its release zip instead (release/).
include(GNUInstallDirs)

install(TARGETS dxvane vaneedit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/bin/DXAlert.wav ${CMAKE_BINARY_DIR}/bin/StationAlert.wav ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dxvane)
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
install(FILES ${CMAKE_BINARY_DIR}/gz/dxvane.1.gz ${CMAKE_BINARY_DIR}/gz/vaneedit.1.gz ${CMAKE_BINARY_DIR}/gz/dxvane-demo.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/gz/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/dxvane)

# The demo: the same script as tools/demo.sh, which finds the installed tree beside itself.
install(TARGETS qrz_double decode_feed RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/dxvane)
install(FILES ${CMAKE_SOURCE_DIR}/tools/qrz_stations.txt ${CMAKE_SOURCE_DIR}/tools/qrz_logbook.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dxvane/demo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/dxvane/demo/seed)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/demo.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME dxvane-demo)

set(CPACK_PACKAGE_NAME dxvane)
set(CPACK_PACKAGE_VENDOR "Dxvane")
set(CPACK_PACKAGE_CONTACT "Dxvane developers <support@dxvane.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FT8 operating aid: who calls CQ and who calls you, looked up at QRZ")
# Lines of at most 79 characters: Debian's tools show the description as it stands.
set(CPACK_PACKAGE_DESCRIPTION
    "Dxvane runs beside WSJT-X. Every 15-second FT8 period the monitor, dxvane,
reads the decodes WSJT-X appended to ALL.TXT, picks out the stations calling CQ
and the stations calling you, looks each one up in the QRZ XML callsign service
and shows them in a coloured 140x43 table: name, city and country, DXCC entity,
bearing and distance, worked before, confirmed DX or new DX, with sound alerts.
vaneedit is the form for its eight settings. dxvane-demo shows it at work
without an account, radio or WSJT-X.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build" "/\\\\.git/" "/dist/" "/\\\\.deps/")

# Debian: dxvane_<version>_<arch>.deb, libraries found by dpkg-shlibdeps (libcurl).
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio-utils | pipewire-bin | alsa-utils")  # a player for the alerts
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wsjtx")

# The .tar.gz: the installed tree under dxvane-<version>-<system>/.
set(CPACK_ARCHIVE_FILE_NAME "dxvane-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")
if(APPLE)
  set(CPACK_GENERATOR "TGZ")
else()
  set(CPACK_GENERATOR "DEB;TGZ")
endif()
include(CPack)
