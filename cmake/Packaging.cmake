# cmake --install: the programs in <prefix>/lib/velorin with a velorin
# command in <prefix>/bin, the shared files in <prefix>/share/velorin, and the
# desktop's records: the menu entry, the sequence file type and the icons.
install(TARGETS velorin update serv serv-web midiconv1 RUNTIME DESTINATION ${VELORIN_PROGRAM_DIR})
# The synthesizer's library, which the program opens from beside itself. In
# a folder of its own: a private library, not one for the system's linker
# (whose folders a package must tell ldconfig about).
install(TARGETS velorin_synth LIBRARY DESTINATION ${VELORIN_PROGRAM_DIR}/synth)
# The play server connection's library, opened at the first connection.
install(TARGETS velorin_net LIBRARY DESTINATION ${VELORIN_PROGRAM_DIR}/net)
# The MIDI ports' library, opened when a port is first wanted.
install(TARGETS velorin_midi LIBRARY DESTINATION ${VELORIN_PROGRAM_DIR}/midi)
# The page that serv's web door serves, found there from the program folder.
install(DIRECTORY ${CMAKE_BINARY_DIR}/web/ DESTINATION ${VELORIN_DATA_DIR}/web)
install(FILES data/darvel.dll docs/guide.html data/velorin.svg DESTINATION ${VELORIN_DATA_DIR})
install(FILES data/velorin.desktop DESTINATION share/applications)
install(FILES data/velorin.xml DESTINATION share/mime/packages)
install(FILES data/velorin.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES data/velorin.svg DESTINATION share/icons/hicolor/scalable/mimetypes
        RENAME application-x-velorin-sequence.svg)
# The keyboard settings a first start copies into the midi folder: the
# defaults the updater and ./run.sh write (base note 60, as the keys read).
file(WRITE ${CMAKE_BINARY_DIR}/shipped/instruments.ini "0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n")
install(FILES ${CMAKE_BINARY_DIR}/shipped/instruments.ini DESTINATION ${VELORIN_DATA_DIR})
# What software centres show: the AppStream record, and the screenshot it
# names (taken under Xvfb by scripts/screenshot.sh), shipped beside the data.
set(VELORIN_APPSTREAM_ID example.velorin.Velorin)
configure_file(data/velorin.metainfo.xml.in ${CMAKE_BINARY_DIR}/shipped/${VELORIN_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/shipped/${VELORIN_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES data/screenshot.png DESTINATION ${VELORIN_DATA_DIR})
# The documents a Debian system expects of every package: the copyright, the
# changelog and the manual page, compressed the way Debian keeps them.
set(doc ${CMAKE_BINARY_DIR}/doc)
configure_file(data/debian/changelog.in ${doc}/changelog @ONLY)
configure_file(data/velorin.1 ${doc}/velorin.1 @ONLY)
add_custom_command(OUTPUT ${doc}/changelog.gz ${doc}/velorin.1.gz
  COMMAND gzip -9nkf changelog velorin.1
  WORKING_DIRECTORY ${doc}
  DEPENDS ${doc}/changelog ${doc}/velorin.1)
add_custom_target(velorin_docs ALL DEPENDS ${doc}/changelog.gz ${doc}/velorin.1.gz)
install(FILES ${doc}/velorin.1.gz DESTINATION share/man/man1)
install(FILES data/debian/copyright ${doc}/changelog.gz DESTINATION share/doc/velorin)
# The README's part for those who play, not those who build, beside them
# (the guide refers to it), written for the prefix it goes to.
install(CODE "
  set(VELORIN_README \"${PROJECT_SOURCE_DIR}/README.md\")
  set(VELORIN_README_WORK \"${doc}\")
  set(VELORIN_PROGRAM_DIR ${VELORIN_PROGRAM_DIR})
  set(VELORIN_DATA_DIR ${VELORIN_DATA_DIR})
  include(\"${PROJECT_SOURCE_DIR}/cmake/UserReadme.cmake\")
")

install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(CREATE_LINK ../${VELORIN_PROGRAM_DIR}/velorin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/velorin\" SYMBOLIC)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/velorin -> ../${VELORIN_PROGRAM_DIR}/velorin\")
")

# The play server for operators: on PATH as velorin-serv with its manual
# page, and a system service (velorin-serv.service) that runs it hardened
# under a user of its own, its options in /etc/default/velorin-serv. Nothing
# enables or starts the service: the operator does.
configure_file(data/velorin-serv.1 ${doc}/velorin-serv.1 @ONLY)
add_custom_command(OUTPUT ${doc}/velorin-serv.1.gz
  COMMAND gzip -9nkf velorin-serv.1
  WORKING_DIRECTORY ${doc}
  DEPENDS ${doc}/velorin-serv.1)
add_custom_target(velorin_serv_docs ALL DEPENDS ${doc}/velorin-serv.1.gz)
install(FILES ${doc}/velorin-serv.1.gz DESTINATION share/man/man1)
install(FILES data/velorin-serv.default DESTINATION /etc/default RENAME velorin-serv)
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(CREATE_LINK ../${VELORIN_PROGRAM_DIR}/serv \"\${root}/bin/velorin-serv\" SYMBOLIC)
  message(STATUS \"Installing: \${root}/bin/velorin-serv -> ../${VELORIN_PROGRAM_DIR}/serv\")
  # The unit names the command where this installation puts it.
  file(READ \"${PROJECT_SOURCE_DIR}/data/velorin-serv.service.in\" unit)
  string(REPLACE \"@VELORIN_SERV_COMMAND@\" \"\${CMAKE_INSTALL_PREFIX}/bin/velorin-serv\" unit \"\${unit}\")
  file(WRITE \"\${root}/lib/systemd/system/velorin-serv.service\" \"\${unit}\")
  message(STATUS \"Installing: \${root}/lib/systemd/system/velorin-serv.service\")
")
# The options file is the operator's: dpkg keeps their changes.
file(WRITE ${CMAKE_BINARY_DIR}/shipped/conffiles "/etc/default/velorin-serv\n")
list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/shipped/conffiles)

# cpack -G DEB: a Debian package of the same installation under /usr.
file(STRINGS src/logic/base/Maker.h maker_email REGEX "supportEmail\\[\\] = ")
string(REGEX REPLACE ".*= \"([^\"]*)\".*" "\\1" maker_email "${maker_email}")
set(CPACK_PACKAGE_NAME velorin)
set(CPACK_PACKAGE_VENDOR Darvel)
set(CPACK_PACKAGE_CONTACT "Darvel <${maker_email}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI piano for the computer keyboard and the mouse")
# Debian shows the description as it stands: lines of under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "Velorin shows a 41-key keyboard, played with the computer keyboard, the
mouse or a MIDI keyboard, that sounds General MIDI instruments through a
built-in synthesizer or a MIDI port of ALSA or JACK. It records and replays
what is played, saves sequence files, converts recordings to Standard MIDI
Files and plays together with others through a play server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)
# Qt, FluidSynth and RtMidi are read off the programs by dpkg-shlibdeps; the
# General MIDI SoundFont the synthesizer loads is not linked, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm | timgm6mb-soundfont")
# qt6-wayland: without it a Wayland-only session has no platform plugin for
# the window. The web door serves TimGM6mb to the page, whichever SoundFont
# the window uses.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, shared-mime-info, desktop-file-utils, xdg-utils, timgm6mb-soundfont")
include(CPack)
