# The Debian package, built by `cpack -G DEB` in a tree configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package does both).
set(LUMIBENCH_PACKAGE_MAINTAINER "Lumibench developers <lumibench@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(LUMIBENCH_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the package")

# Documents every Debian package carries in /usr/share/doc/<name>.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/lumibench)
set(package_build ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog.in ${package_build}/changelog @ONLY)
find_program(LUMIBENCH_GZIP gzip)
if(LUMIBENCH_GZIP)
  # -n: no name or time stamp, so that the same changelog packs the same.
  execute_process(COMMAND ${LUMIBENCH_GZIP} -9nc ${package_build}/changelog
                  OUTPUT_FILE ${package_build}/changelog.Debian.gz)
  install(FILES ${package_build}/changelog.Debian.gz DESTINATION ${doc_dir})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright DESTINATION ${doc_dir})
# What lintian reports that is meant so, each with its reason.
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME lumibench)

# The machine config is the administrator's to change: dpkg keeps the changes
# on upgrades when it is listed as a conffile.
file(WRITE ${package_build}/conffiles "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/lumibench/machine.ini\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumibench)
set(CPACK_PACKAGE_VENDOR "Lumibench developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${LUMIBENCH_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop host for luminaire photometric data")
set(CPACK_PACKAGE_DESCRIPTION
"Lumibench reads IES LM-63, EULUMDAT and CIBSE TM14 photometric files,
checks them with exact messages, repairs files with broken line ends into a
copy, and keeps up to 25 records in a list. Checked records are handed to
separate tool programs (open, view, save and others) that run beside the
main window.

The package also holds the command-line programs lumibench-check,
lumibench-photometry (flux, beam angles, zonal lumens and the indoor, road
and floodlight figures, as text or JSON), lumibench-settings and
lumibench-productlist, and the tool programs that come with Lumibench.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Staged through DESTDIR, so that /etc lands in the package and the install
# scripts see the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LUMIBENCH_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMIBENCH_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIBENCH_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Web addresses (support page, home pages) open through xdg-open. Outside a
# desktop session xdg-mime and xdg-open tell file types apart by the shared
# MIME database only through File::MimeInfo; without it every photometric
# file is plain text to them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libfile-mimeinfo-perl")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${package_build}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Directories the package creates are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
