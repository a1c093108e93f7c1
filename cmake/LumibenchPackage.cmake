# The Debian package, built by `cpack -G DEB` in a tree configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package does both).
set(LUMIBENCH_PACKAGE_MAINTAINER "Lumibench developers <lumibench@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(LUMIBENCH_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the package")

# The packages, one per install component: the program, the tool SDK for
# C++ and the Python SDK, as Debian splits a program from its development
# files and its Python module.
set(LUMIBENCH_PACKAGES "lumibench=lumibench" "sdk=liblumibench-tool-sdk-dev" "python=python3-lumibench-tool")

# Documents every Debian package carries in /usr/share/doc/<name>, and what
# lintian reports that is meant so, each with its reason.
set(package_build ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog.in ${package_build}/changelog @ONLY)
find_program(LUMIBENCH_GZIP gzip)
if(LUMIBENCH_GZIP)
  # -n: no name or time stamp, so that the same changelog packs the same.
  execute_process(COMMAND ${LUMIBENCH_GZIP} -9nc ${package_build}/changelog
                  OUTPUT_FILE ${package_build}/changelog.Debian.gz)
endif()
foreach(pair IN LISTS LUMIBENCH_PACKAGES)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 component)
  list(GET pair 1 name)
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${name})
  if(LUMIBENCH_GZIP)
    install(FILES ${package_build}/changelog.Debian.gz DESTINATION ${doc_dir} COMPONENT ${component})
  endif()
  install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright DESTINATION ${doc_dir} COMPONENT ${component})
  # data/debian/lintian-overrides is the program's; the others carry the
  # package's name.
  set(overrides ${CMAKE_SOURCE_DIR}/data/debian/lintian-overrides.${name})
  if(name STREQUAL "lumibench")
    set(overrides ${CMAKE_SOURCE_DIR}/data/debian/lintian-overrides)
  endif()
  install(FILES ${overrides} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${name}
          COMPONENT ${component})
endforeach()

# The machine config is the administrator's to change: dpkg keeps the changes
# on upgrades when it is listed as a conffile.
file(WRITE ${package_build}/conffiles "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/lumibench/machine.ini\n")

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lumibench sdk python)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_PACKAGE_NAME lumibench)
set(CPACK_PACKAGE_VENDOR "Lumibench developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${LUMIBENCH_PACKAGE_MAINTAINER})
# CPACK_PACKAGE_DESCRIPTION_SUMMARY stays unset: CPack would put it before
# each package's own synopsis (the first line of its description below).
foreach(pair IN LISTS LUMIBENCH_PACKAGES)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 component)
  list(GET pair 1 name)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name})
endforeach()

set(CPACK_DEBIAN_LUMIBENCH_DESCRIPTION "desktop host for luminaire photometric data
Lumibench reads IES LM-63, EULUMDAT and CIBSE TM14 photometric files,
checks them with exact messages, repairs files with broken line ends into a
copy, and keeps up to 25 records in a list. Checked records are handed to
separate tool programs (open, view, save and others) that run beside the
main window.

The package also holds the command-line programs lumibench-check,
lumibench-convert, lumibench-photometry (flux, beam angles, zonal lumens and
the indoor, road and floodlight figures, as text or JSON),
lumibench-template, lumibench-settings and lumibench-productlist with their
shell completion, the tool programs that come with Lumibench, and
lumibench-thumbnail, which draws the polar curves of photometric files as
thumbnails in file managers.")
set(CPACK_DEBIAN_SDK_DESCRIPTION "tool SDK of the Lumibench photometric data host (C++)
Headers and static libraries for writing tool programs that the Lumibench
host starts and exchanges photometric data with, with a CMake package
(find_package(LumibenchToolSDK)), a pkg-config file (lumibench-tool-sdk)
and an example tool.")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "tool SDK of the Lumibench photometric data host (Python 3)
The Python module lumibench_tool, for writing tool programs that the
Lumibench host starts and exchanges photometric data with, using the
standard library only, and an example tool.")
set(CPACK_DEBIAN_SDK_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_SDK_PACKAGE_DEPENDS "libsqlite3-dev, libxcb1-dev, qt6-base-dev, pkg-config")
set(CPACK_DEBIAN_SDK_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= 3.8)")
# Window placement goes through libxcb (ctypes) when the tool runs under X11.
set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "libxcb1")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Staged through DESTDIR, so that /etc lands in the package and the install
# scripts see the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# As dpkg-deb packs the distribution's packages: a third of gzip's size here.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LUMIBENCH_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMIBENCH_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIBENCH_HOMEPAGE})
set(CPACK_DEBIAN_LUMIBENCH_PACKAGE_SHLIBDEPS ON)
# Web addresses (support page, home pages) open through xdg-open. Outside a
# desktop session xdg-mime and xdg-open tell file types apart by the shared
# MIME database only through File::MimeInfo; without it every photometric
# file is plain text to them.
set(CPACK_DEBIAN_LUMIBENCH_PACKAGE_RECOMMENDS "xdg-utils, libfile-mimeinfo-perl")
set(CPACK_DEBIAN_LUMIBENCH_PACKAGE_CONTROL_EXTRA ${package_build}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Directories the package creates are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
