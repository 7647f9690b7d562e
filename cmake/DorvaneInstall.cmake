# Installation, in three components that become the Debian packages of
# cmake/DorvanePackaging.cmake: `runtime` (the shared libraries, each with the
# SONAME of the project's major version), `development` (the public headers
# of include/dorvane/ with their folders, so that a host writes
# #include "control/ztDorvane.h", the static libraries or the libraries' links,
# the CMake package Dorvane with its exported targets and the pkg-config module
# of the headless library) and `programs` (apps/CMakeLists.txt). Only headers
# a host needs are installed (the internal headers stay in the source
# folders); none of them includes an engine's own header, and neither the
# CMake package nor the pkg-config module hands a host the engines' include
# folders.
include(CMakePackageConfigHelpers)

# Every header under include/dorvane/ is public; the Qt front end's only
# with the Qt front end.
file(GLOB_RECURSE DORVANE_PUBLIC_HEADERS CONFIGURE_DEPENDS RELATIVE ${DORVANE_PUBLIC_INCLUDE}
     ${DORVANE_PUBLIC_INCLUDE}/*.h)
set(DORVANE_QT_PUBLIC_HEADERS ${DORVANE_PUBLIC_HEADERS})
list(FILTER DORVANE_PUBLIC_HEADERS EXCLUDE REGEX "^frontends/qt/")
list(FILTER DORVANE_QT_PUBLIC_HEADERS INCLUDE REGEX "^frontends/qt/")

set(DORVANE_EXPORTED_TARGETS dorvane_base dorvane_recordstore dorvane_screen dorvane_services dorvane_search dorvane_core)
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
  install(FILES ${DORVANE_PUBLIC_INCLUDE}/${header} DESTINATION ${DORVANE_INCLUDE_DIR}/${folder}
          COMPONENT development)
endforeach()

# Each library finds the others beside it ($ORIGIN), so a host under any
# prefix loads them all through the one it links.
set_target_properties(${DORVANE_EXPORTED_TARGETS} PROPERTIES VERSION ${PROJECT_VERSION}
                      SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
install(TARGETS ${DORVANE_EXPORTED_TARGETS}
        EXPORT DorvaneTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
                NAMELINK_COMPONENT development
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        INCLUDES DESTINATION ${DORVANE_INCLUDE_DIR})

set(DORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Dorvane)
install(EXPORT DorvaneTargets NAMESPACE Dorvane:: DESTINATION ${DORVANE_CMAKE_DIR}
        COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/DorvaneConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/DorvaneConfig.cmake
                              INSTALL_DESTINATION ${DORVANE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/DorvaneConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/DorvaneConfig.cmake
              ${PROJECT_BINARY_DIR}/DorvaneConfigVersion.cmake
        DESTINATION ${DORVANE_CMAKE_DIR} COMPONENT development)

# Static libraries leave the engines for the host to link; shared ones link
# them. The engines are named as libraries, not as pkg-config modules: a
# module's Cflags (libpq's -I/usr/include/postgresql) would reach the host
# even from Requires.private.
set(DORVANE_ENGINE_LIBS "-lsqlite3")
if(DORVANE_POSTGRES)
  string(APPEND DORVANE_ENGINE_LIBS " -lpq")
endif()
if(BUILD_SHARED_LIBS)
  set(DORVANE_PC_LIBS "Libs.private: ${DORVANE_ENGINE_LIBS}")
else()
  set(DORVANE_PC_LIBS "")
  set(DORVANE_PC_STATIC_LIBS " ${DORVANE_ENGINE_LIBS}")
endif()
# The prefix as seen from lib/pkgconfig (one ".." per folder of the libdir).
set(DORVANE_PC_PREFIX "\${pcfiledir}/..")
string(REPLACE "/" ";" libdir_parts "${CMAKE_INSTALL_LIBDIR}")
foreach(part ${libdir_parts})
  string(APPEND DORVANE_PC_PREFIX "/..")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/dorvane.pc.in ${PROJECT_BINARY_DIR}/dorvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dorvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)
