# A header-only library of the build machine's /usr/include as an INTERFACE target. The cross build
# must not see the rest of that folder, so both builds reach the library's header folder through a
# folder of its own in the build tree.
#   larkspur_header_library(TARGET HEADER)   HEADER names one file of it, e.g. CLI/CLI.hpp
function(larkspur_header_library target header)
  find_path(${target}_ROOT ${header} PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH
            REQUIRED)
  string(REGEX REPLACE "/.*" "" folder ${header})
  set(include ${CMAKE_BINARY_DIR}/third_party/${target})
  file(MAKE_DIRECTORY ${include})
  file(CREATE_LINK ${${target}_ROOT}/${folder} ${include}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${include})
endfunction()
