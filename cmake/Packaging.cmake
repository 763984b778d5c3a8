# Installation and the Debian package: cmake --install puts the programs in bin/, the desktop
# entry, its icon and the input file type under share/, the examples under
# share/quellow/examples, the manual pages under share/man/man1 and the user's documents under
# share/doc/quellow; cpack --config CPackConfig.cmake builds the .deb.
include(GNUInstallDirs)

install(TARGETS quellow quellow-cli quellow-cli-chart RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/quellow.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/quellow.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/quellow-input.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(DIRECTORY Data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quellow/examples
        FILES_MATCHING PATTERN "*.inp" PATTERN "README" PATTERN "LICENSE*")
install(FILES README.md LICENSE packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quellow)
install(FILES docs/USER-GUIDE.md docs/COMMANDS.md docs/cluster.md docs/python.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quellow/docs)
# The example array job of a cluster (docs/cluster.md).
install(PROGRAMS scripts/cluster/quellow-array.sbatch DESTINATION ${CMAKE_INSTALL_DATADIR}/quellow/cluster)

# The manual pages quellow(1) and quellow-cli(1): the version put in, compressed as Debian keeps
# manual pages (gzip -9n: no name, no time stamp, so the same page gives the same file).
find_program(QUELLOW_GZIP gzip REQUIRED)
set(man_pages)
foreach(page quellow quellow-cli)
    configure_file(docs/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
                       COMMAND ${QUELLOW_GZIP} -9nkf ${page}.1
                       WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/man
                       DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1)
    list(APPEND man_pages ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(quellow_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellow)
set(CPACK_PACKAGE_VENDOR "The Quellow developers")
set(CPACK_PACKAGE_CONTACT "The Quellow developers <quellow@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rainfall-runoff relations with two reservoirs in series")
set(CPACK_PACKAGE_DESCRIPTION
    "Quellow relates the rainfall on a catchment to its runoff with a dead-storage reservoir \
and a main reservoir in series: it derives the main reservoir's response from measured series, \
reconstructs the runoff, predicts runoff or water tables and draws the charts. The package \
holds the window (quellow), the command-line tool (quellow-cli) and the Python module \
quellow. License: GPL-3.0-or-later.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries come from the programs themselves (dpkg-shlibdeps: Qt 6 with Qt Charts, which
# draws the validation pictures, and oneTBB, on whose threads the calibration runs); the charts are laid out for the metrics of the fonts that
# fonts-liberation brings. Quellow is licensed GPL-3.0-or-later (doc/quellow/copyright).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# The Python module quellow (python/) is for the system's python3 and hands over numpy arrays.
if(TARGET _quellow)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", python3 (>= 3.11), python3 (<< 3.12), python3-numpy")
endif()
include(CPack)
