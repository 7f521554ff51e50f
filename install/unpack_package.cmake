# Test step: makes the download zip with CPack and unpacks it into an empty
# folder beside the build, from which the end-to-end tests install.
#   cmake -DBUILD_DIR=... -DCPACK=... -P unpack_package.cmake
file(GLOB old ${BUILD_DIR}/glimmerbox-*.zip)
if(old)
  file(REMOVE ${old})
endif()
execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed (${rc})")
endif()
file(GLOB zip ${BUILD_DIR}/glimmerbox-*.zip)
list(LENGTH zip n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one glimmerbox-*.zip in ${BUILD_DIR}, found: ${zip}")
endif()
set(dest ${BUILD_DIR}/package-test)
file(REMOVE_RECURSE ${dest})
file(MAKE_DIRECTORY ${dest})
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${dest})
file(GLOB unpacked RELATIVE ${dest} ${dest}/*)
message(STATUS "${zip}: ${unpacked}")
