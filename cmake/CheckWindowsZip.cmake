# Makes the Windows zip in WORK_DIR, unpacks it into a fresh folder there and runs
# `kd4410ctl.exe --simulator list` from the unpacked folder (under EMULATOR, when cross-built):
# it must exit 0 and list the simulated transmitter, "0 12345".
foreach(variable CPACK CPACK_CONFIG WORK_DIR PACKAGE_NAME)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "CheckWindowsZip.cmake needs -D ${variable}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/unpacked ${WORK_DIR}/home)
execute_process(COMMAND ${CPACK} --config ${CPACK_CONFIG} -G ZIP -B ${WORK_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS ${WORK_DIR}/${PACKAGE_NAME}.zip)
  message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar x ${WORK_DIR}/${PACKAGE_NAME}.zip
                WORKING_DIRECTORY ${WORK_DIR}/unpacked RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "unpacking ${PACKAGE_NAME}.zip failed (${result})")
endif()

set(folder ${WORK_DIR}/unpacked/${PACKAGE_NAME})
file(GLOB_RECURSE files RELATIVE ${folder} ${folder}/*)
list(SORT files)
set(expected LICENSE README.md kd4410ctl.exe sim/mpusbapi.dll)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "The zip holds [${files}], expected [${expected}]")
endif()

# The simulator keeps its EEPROM and the tool its settings in folders of the test's own, given
# as the program sees them (PATH_PREFIX: Z: under wine).
foreach(kind CONFIG STATE DATA CACHE)
  string(TOLOWER ${kind} name)
  set(ENV{XDG_${kind}_HOME} ${PATH_PREFIX}${WORK_DIR}/home/${name})
endforeach()
execute_process(COMMAND ${EMULATOR} ${folder}/kd4410ctl.exe --simulator list
                WORKING_DIRECTORY ${folder}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("kd4410ctl.exe --simulator list: exit ${result}\n${output}${errors}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "kd4410ctl.exe --simulator list exited with ${result}")
endif()
string(REPLACE "\r" "" output "${output}")
if(NOT output MATCHES "(^|\n)0 12345(\n|$)")
  message(FATAL_ERROR "kd4410ctl.exe --simulator list did not list the simulated transmitter \"0 12345\"")
endif()
