# CLI11 and nlohmann-json: header-only, so a cross build can use the host's copies. Their CMake
# packages are the host's, though, and /usr/include as an include folder would bring glibc's
# headers along: a folder in the build tree holds links to just their two header folders.
find_package(CLI11 QUIET)
find_package(nlohmann_json 3 QUIET)

function(kd4410_host_header_library target header)
  get_filename_component(folder ${header} DIRECTORY)
  find_path(KD4410_HOST_${folder}_INCLUDE ${header} PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT KD4410_HOST_${folder}_INCLUDE)
    message(FATAL_ERROR "${target}: ${header} not found for this build nor on the host "
            "(Debian: libcli11-dev, nlohmann-json3-dev)")
  endif()
  set(links ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${links})
  if(NOT EXISTS ${links}/${folder})
    file(CREATE_LINK ${KD4410_HOST_${folder}_INCLUDE}/${folder} ${links}/${folder} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${links})
  message(STATUS "${target}: the host's headers in ${KD4410_HOST_${folder}_INCLUDE}/${folder}")
endfunction()

if(NOT TARGET CLI11::CLI11)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(CLI11 REQUIRED)
  endif()
  kd4410_host_header_library(CLI11::CLI11 CLI/CLI.hpp)
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(nlohmann_json 3 REQUIRED)
  endif()
  kd4410_host_header_library(nlohmann_json::nlohmann_json nlohmann/json.hpp)
endif()
