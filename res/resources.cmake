# Resources of Updater.exe, included from the top-level CMakeLists.txt for Windows builds only.
#
# Sets UPDATER_RESOURCES, the sources to add to the Updater executable: the resource script
# and the icon that is generated from make_icon.py into the build tree. The icon is listed as
# a source so that its custom command runs as part of the Updater target.
#
# Also sets UPDATER_VERSION (e.g. "0.475.0.0") from version.h, for anything in CMake that
# wants the version without writing it a second time.

set(UPDATER_RES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(UPDATER_RES_BINARY_DIR ${CMAKE_CURRENT_BINARY_DIR}/res)
set(UPDATER_ICON ${UPDATER_RES_BINARY_DIR}/updater.ico)

# --- Version, read from the one header -------------------------------------------------
file(STRINGS ${UPDATER_RES_DIR}/version.h _updater_version_lines
     REGEX "^#define UPDATER_VERSION_(MAJOR|MINOR|PATCH|BUILD) [0-9]+$")
foreach(_line IN LISTS _updater_version_lines)
  string(REGEX MATCH "^#define UPDATER_VERSION_([A-Z]+) ([0-9]+)$" _ "${_line}")
  set(UPDATER_VERSION_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
foreach(_part MAJOR MINOR PATCH BUILD)
  if(NOT DEFINED UPDATER_VERSION_${_part})
    message(FATAL_ERROR "res/version.h: no UPDATER_VERSION_${_part} line")
  endif()
endforeach()
set(UPDATER_VERSION
    "${UPDATER_VERSION_MAJOR}.${UPDATER_VERSION_MINOR}.${UPDATER_VERSION_PATCH}.${UPDATER_VERSION_BUILD}")
# Re-run the configure step when the header changes, so UPDATER_VERSION follows it.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UPDATER_RES_DIR}/version.h)

# --- Icon, generated at build time -----------------------------------------------------
find_package(Python3 COMPONENTS Interpreter REQUIRED)

add_custom_command(
  OUTPUT ${UPDATER_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${UPDATER_RES_BINARY_DIR}
  COMMAND Python3::Interpreter ${UPDATER_RES_DIR}/make_icon.py ${UPDATER_ICON}
  DEPENDS ${UPDATER_RES_DIR}/make_icon.py
  COMMENT "Drawing the application icon"
  VERBATIM)

# --- Resource script -------------------------------------------------------------------
# windres looks for the files named in the script (the icon, the manifest) in its include
# directories, so both folders go there. The files it reads that are not #included are not
# seen by the dependency scanner; OBJECT_DEPENDS makes a change to them recompile the script.
set_source_files_properties(${UPDATER_RES_DIR}/updater.rc PROPERTIES
  INCLUDE_DIRECTORIES "${UPDATER_RES_BINARY_DIR};${UPDATER_RES_DIR}"
  OBJECT_DEPENDS "${UPDATER_ICON};${UPDATER_RES_DIR}/updater.manifest;${UPDATER_RES_DIR}/version.h")

set(UPDATER_RESOURCES ${UPDATER_RES_DIR}/updater.rc ${UPDATER_ICON})
