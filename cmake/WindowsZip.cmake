# The Windows download (CPack ZIP): kd4410ctl.exe, the simulated transmitter in sim/, the README
# and the licence, in one folder named after the version.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kd4410)
set(CPACK_PACKAGE_VENDOR "KD4410 User Software")
# (include(CPack) leaves CPACK_PACKAGE_FILE_NAME set to the source package's name.)
set(KD4410_ZIP_NAME kd4410-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_PACKAGE_FILE_NAME ${KD4410_ZIP_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

# The zip as downloaded: packed, unpacked into a fresh folder, and the tool run from there on
# the simulated transmitter.
if(KD4410_BUILD_TESTS)
  add_test(NAME windows_zip
           COMMAND ${CMAKE_COMMAND}
             -D CPACK=${CMAKE_CPACK_COMMAND}
             -D CPACK_CONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake
             -D WORK_DIR=${CMAKE_BINARY_DIR}/zip-test
             -D PACKAGE_NAME=${KD4410_ZIP_NAME}
             "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
             -D PATH_PREFIX=${KD4410_TEST_PATH_PREFIX}
             -P ${PROJECT_SOURCE_DIR}/cmake/CheckWindowsZip.cmake)
  set_tests_properties(windows_zip PROPERTIES TIMEOUT 180)
endif()
