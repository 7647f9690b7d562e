# Debian packages with CPack (`cpack -G DEB` in the build folder), one for
# each install component: libdorvane2 (the shared libraries), libdorvane-dev
# (headers, CMake package, pkg-config module) and dorvane (the programs, their
# manual pages, menu entry and icon). The packages install under /usr,
# depend on one another at the same version and on the system's libraries
# as dpkg-shlibdeps finds them, and carry the copyright and changelog files
# Debian's policy asks of every package. tests/install/packages.sh builds and
# checks them.
set(DORVANE_MAINTAINER "Dorvane maintainers <maintainers@dorvane.invalid>")
set(DORVANE_SONAME_PACKAGE libdorvane${PROJECT_VERSION_MAJOR})
set(DORVANE_PACKAGES runtime ${DORVANE_SONAME_PACKAGE} development libdorvane-dev programs dorvane)

# Each package's /usr/share/doc/<package>/ with copyright and changelog.gz.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in
               ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
                   COMMAND gzip -9n -c ${PROJECT_BINARY_DIR}/debian/changelog >
                           ${PROJECT_BINARY_DIR}/debian/changelog.gz
                   DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(dorvane_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
set(components)
while(DORVANE_PACKAGES)
  list(POP_FRONT DORVANE_PACKAGES component package)
  list(APPEND components ${component})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
                ${PROJECT_BINARY_DIR}/debian/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endwhile()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Dorvane developers")
set(CPACK_PACKAGE_CONTACT ${DORVANE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${components})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs link our own libraries from the build: dpkg-shlibdeps finds
# them there and leaves them to the dependency on libdorvane2.
foreach(library ${DORVANE_EXPORTED_TARGETS})
  get_target_property(folder ${library} BINARY_DIR)
  list(APPEND CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${folder})
endforeach()
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://dorvane.invalid/")
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_PROGRAMS_DEPENDS runtime)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The shared libraries register with ld.so through dpkg's ldconfig trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "ztDorvane data-entry control (shared libraries)
The ztDorvane control picks a target job list and a range of period-ending
dates; frmztSearch is its type-ahead search dialog. This package holds the
shared libraries of the control, the dialog, the headless forms toolkit, the
record store on SQLite files or a PostgreSQL server, and the Qt front end.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "ztDorvane data-entry control (development files)
Headers, the CMake package Dorvane (Dorvane::dorvane, Dorvane::dorvane_qt)
and the pkg-config module dorvane, for hosts that embed the control.")
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION
    "ztDorvane data-entry control (programs)
dorvane-desktop shows the control in a window, dorvane-script drives it from
a script without one, and dorvane-data makes, copies and imports its data
sources (folders of SQLite files or PostgreSQL databases).")
# Hosts of the Qt front end find Qt through the CMake package.
if(TARGET dorvane_qt)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
endif()
include(CPack)
