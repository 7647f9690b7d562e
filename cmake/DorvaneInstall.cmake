# Installation: the public headers under include/dorvane/ (with their folders,
# so that a host writes #include "control/ztDorvane.h"), the libraries, the
# CMake package Dorvane with its exported targets and the pkg-config module
# of the headless library. Only headers a host needs are installed; none of
# them includes an engine's own header.
include(CMakePackageConfigHelpers)

set(DORVANE_PUBLIC_HEADERS
    control/ztDorvane.h
    search/frmztSearch.h
    search/search_request.h
    search/ztSearchMod.h
    services/ztMSAccess.h
    services/base/date_serial.h
    services/base/error_numbers.h
    services/base/runtime_error.h
    services/base/user_action.h
    services/recordstore/database.h
    services/recordstore/db_engine.h
    services/recordstore/field.h
    services/recordstore/recordset.h
    services/recordstore/recordstore.h
    services/recordstore/variant.h
    services/recordstore/workspace.h
    services/screen/container.h
    services/screen/control.h
    services/screen/controls.h
    services/screen/desktop.h
    services/screen/dispatcher.h
    services/screen/form.h
    services/screen/host_screen.h
    services/screen/keys.h
    services/screen/screen.h)
set(DORVANE_QT_PUBLIC_HEADERS
    frontends/qt/container_view.h
    frontends/qt/dorvane_widget.h
    frontends/qt/front_end.h
    frontends/qt/qt_desktop.h)

set(DORVANE_EXPORTED_TARGETS base recordstore screen dorvane_services dorvane_search dorvane_core)
set(headers ${DORVANE_PUBLIC_HEADERS})
if(TARGET dorvane_qt)
  list(APPEND DORVANE_EXPORTED_TARGETS dorvane_qt)
  list(APPEND headers ${DORVANE_QT_PUBLIC_HEADERS})
  set(DORVANE_WITH_QT ON)
else()
  set(DORVANE_WITH_QT OFF)
endif()

foreach(header ${headers})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${DORVANE_INCLUDE_DIR}/${folder})
endforeach()

install(TARGETS ${DORVANE_EXPORTED_TARGETS}
        EXPORT DorvaneTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${DORVANE_INCLUDE_DIR})

set(DORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Dorvane)
install(EXPORT DorvaneTargets NAMESPACE Dorvane:: DESTINATION ${DORVANE_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/DorvaneConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/DorvaneConfig.cmake
                              INSTALL_DESTINATION ${DORVANE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/DorvaneConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/DorvaneConfig.cmake
              ${PROJECT_BINARY_DIR}/DorvaneConfigVersion.cmake
        DESTINATION ${DORVANE_CMAKE_DIR})

# Static libraries leave the engines for the host to link; shared ones link
# them.
if(BUILD_SHARED_LIBS)
  set(DORVANE_PC_REQUIRES "Requires.private: sqlite3 libpq")
else()
  set(DORVANE_PC_REQUIRES "Requires: sqlite3 libpq")
endif()
# The prefix as seen from lib/pkgconfig (one ".." per folder of the libdir).
set(DORVANE_PC_PREFIX "\${pcfiledir}/..")
string(REPLACE "/" ";" libdir_parts "${CMAKE_INSTALL_LIBDIR}")
foreach(part ${libdir_parts})
  string(APPEND DORVANE_PC_PREFIX "/..")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/dorvane.pc.in ${PROJECT_BINARY_DIR}/dorvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dorvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
