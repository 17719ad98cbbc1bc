# The Debian package: scripts/package.sh builds it with `cpack -G DEB` in the
# build folder as vam_<version>_amd64.deb. Depends comes from the shared
# libraries the programs actually link (dpkg-shlibdeps), not from a list kept
# by hand.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vam)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VAM")
set(CPACK_PACKAGE_CONTACT "VAM maintainers <maintainers@users.noreply.c-seed-fe83cd7e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data acquisition for Velmark laboratory and field meters")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help topics open in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# The long description; CPack puts the summary line above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VAM reads pH, redox, conductivity, resistivity, concentration and
temperature meters made by Velmark (54 models in nine protocol families)
over a serial port: RS-232 or a USB adapter. A meter is polled or listened
to, has its logger memory read out, or has its raw output captured.
Readings appear in value windows, are logged to a table and to .vam data
files, plotted, tested against alarm limits and printed. The interface
speaks English, French and Dutch.

The package also holds vam-cli, which decodes, logs, exports and prints
without windows, and vam-metersim, a simulated meter on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
