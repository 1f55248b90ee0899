# cmake --install: the programs in <prefix>/lib/velorin with a velorin
# command in <prefix>/bin, the shared files in <prefix>/share/velorin, and the
# desktop's records: the menu entry, the sequence file type and the icons.
install(TARGETS velorin update serv midiconv1 RUNTIME DESTINATION ${VELORIN_PROGRAM_DIR})
install(FILES data/darvel.dll docs/guide.html data/velorin.svg DESTINATION ${VELORIN_DATA_DIR})
install(FILES data/velorin.desktop DESTINATION share/applications)
install(FILES data/velorin.xml DESTINATION share/mime/packages)
install(FILES data/velorin.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES data/velorin.svg DESTINATION share/icons/hicolor/scalable/mimetypes
        RENAME application-x-velorin-sequence.svg)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(CREATE_LINK ../${VELORIN_PROGRAM_DIR}/velorin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/velorin\" SYMBOLIC)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/velorin -> ../${VELORIN_PROGRAM_DIR}/velorin\")
")

# cpack -G DEB: a Debian package of the same installation under /usr.
file(STRINGS src/app/Maker.h maker_email REGEX "supportEmail\\[\\] = ")
string(REGEX REPLACE ".*= \"([^\"]*)\".*" "\\1" maker_email "${maker_email}")
set(CPACK_PACKAGE_NAME velorin)
set(CPACK_PACKAGE_VENDOR Darvel)
set(CPACK_PACKAGE_CONTACT "Darvel <${maker_email}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI piano for the computer keyboard and the mouse")
set(CPACK_PACKAGE_DESCRIPTION "Velorin shows a 41-key keyboard that plays General MIDI instruments through a built-in synthesizer or a MIDI port, records and replays what is played, saves sequence files, converts recordings to Standard MIDI Files and plays together with others through a play server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)
# Qt, FluidSynth and RtMidi are read off the programs by dpkg-shlibdeps; the
# General MIDI SoundFont the synthesizer loads is not linked, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm | timgm6mb-soundfont")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
include(CPack)
