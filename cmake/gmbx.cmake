# Build settings shared by every directory.
set(GMBX_SOURCE_ROOT ${CMAKE_SOURCE_DIR})

if(WIN32)
  enable_language(RC)
  if(NOT GMBX_DEPS_DIR)
    message(FATAL_ERROR "GMBX_DEPS_DIR must name the cross-built dependencies (scripts/deps.sh prints it)")
  endif()
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX STRICT)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type -Wno-missing-field-initializers)
  # Static runtime: the binaries import only system DLLs (and our own).
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_EXECUTABLE_SUFFIX .exe)
  list(APPEND CMAKE_PREFIX_PATH ${GMBX_DEPS_DIR})
  find_package(GTest CONFIG REQUIRED)
  set(GMBX_GTEST GTest::gtest)
  set(GMBX_GTEST_MAIN GTest::gtest_main)
  # Programs land side by side, as they are installed.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
else()
  # Native build of the portable units, for fast tests under sanitizers.
  option(GMBX_SANITIZE "AddressSanitizer and UBSan" ON)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  if(GMBX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # GoogleTest from its sources, so that it is built with the same sanitizers
  # (Debian's googletest package installs them); an installed GoogleTest
  # package when there are none.
  find_path(GMBX_GOOGLETEST_DIR googletest/include/gtest/gtest.h
    PATHS /usr/src/googletest /usr/local/src/googletest NO_DEFAULT_PATH
    DOC "GoogleTest's source tree (the folder holding googletest/), built with the native tests")
  if(GMBX_GOOGLETEST_DIR)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GMBX_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(GMBX_GTEST gtest)
    set(GMBX_GTEST_MAIN gtest_main)
  else()
    find_package(GTest REQUIRED)
    set(GMBX_GTEST GTest::gtest)
    set(GMBX_GTEST_MAIN GTest::gtest_main)
  endif()
  # The fuzz targets need clang's libFuzzer, and the sanitizers to notice
  # faults.
  if(GMBX_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(GMBX_FUZZ ON)
    # Code under the fuzzer's instrumentation runs several times faster at
    # -O1, as libFuzzer advises: the fuzz targets and the libraries they link
    # are compiled so in every build type.
    set(GMBX_FUZZ_OPTIMIZE -O1)
  endif()
endif()

# A portable library: compiled for both configurations, includes from the root.
# In a build with fuzz targets it carries the fuzzer's coverage
# instrumentation, so that the targets linking it can steer by its code.
function(gmbx_portable_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${GMBX_SOURCE_ROOT})
  if(GMBX_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link ${GMBX_FUZZ_OPTIMIZE})
  endif()
endfunction()

# Pictures drawn at build time by a script (they are not kept as binaries in
# the tree): gmbx_drawn_images(SCRIPT script OUT folder FILES names...
# COMMENT text) sets <OUT_VAR> to the full paths of the files.
function(gmbx_drawn_images out_var)
  cmake_parse_arguments(D "" "SCRIPT;OUT;COMMENT" "FILES" ${ARGN})
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(files)
  foreach(f IN LISTS D_FILES)
    list(APPEND files ${D_OUT}/${f})
  endforeach()
  add_custom_command(
    OUTPUT ${files}
    COMMAND ${Python3_EXECUTABLE} ${D_SCRIPT} ${D_OUT}
    DEPENDS ${D_SCRIPT} ${GMBX_SOURCE_ROOT}/scripts/imagefiles.py
    COMMENT "${D_COMMENT}"
    VERBATIM)
  set(${out_var} ${files} PARENT_SCOPE)
endfunction()

# A test executable run by CTest as one test (each Wine start costs time, so
# tests are grouped into few executables).
function(gmbx_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${GMBX_GTEST_MAIN} ${GMBX_GTEST})
  target_include_directories(${name} PRIVATE ${GMBX_SOURCE_ROOT})
  # The native build's tests carry a prefix so that one CTest run over both
  # builds tells them apart.
  if(WIN32)
    set(test_name ${name})
  else()
    set(test_name native_${name})
  endif()
  add_test(NAME ${test_name} COMMAND ${name} --gtest_color=no)
endfunction()
