# The gd graphics library (GIF encoding and decoding) as the target gmbx_gd:
# the cross-built static library from GMBX_DEPS_DIR in the Windows build,
# the system's libgd-dev in the native one.
if(NOT TARGET gmbx_gd)
  add_library(gmbx_gd INTERFACE)
  if(WIN32)
    target_include_directories(gmbx_gd INTERFACE ${GMBX_DEPS_DIR}/include)
    target_compile_definitions(gmbx_gd INTERFACE NONDLL BGDWIN32)
    target_link_libraries(gmbx_gd INTERFACE ${GMBX_DEPS_DIR}/lib/libgd.a)
  else()
    find_path(GMBX_GD_INCLUDE_DIR gd.h REQUIRED)
    find_library(GMBX_GD_LIBRARY gd REQUIRED)
    target_include_directories(gmbx_gd INTERFACE ${GMBX_GD_INCLUDE_DIR})
    target_link_libraries(gmbx_gd INTERFACE ${GMBX_GD_LIBRARY})
  endif()
endif()
