# The download for Windows users: `cmake --build build/win32 --target package`
# makes glimmerbox-<version>-win32.zip with the delivered programs and the
# files that travel with them, laid out as `gmbx -install` expects them in
# the folder it runs from.
install(TARGETS gmbx GmbxRes Dibkit RUNTIME DESTINATION . LIBRARY DESTINATION . ARCHIVE EXCLUDE_FROM_ALL)
# The order form stands alone and runs from where it is unpacked (the
# capture program's installer does not copy it).
install(TARGETS tendra RUNTIME DESTINATION tendra)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/files/readme.txt ${CMAKE_CURRENT_LIST_DIR}/files/file_id.diz DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(GMBX_PACKAGE_SYSTEM win64)
else()
  set(GMBX_PACKAGE_SYSTEM win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME glimmerbox)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME glimmerbox-${PROJECT_VERSION}-${GMBX_PACKAGE_SYSTEM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
