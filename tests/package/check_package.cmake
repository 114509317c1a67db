# Installs the build into a folder of its own, configures and builds the consumer project against it and runs the
# program it made. Arguments: BUILD_DIR, SOURCE_DIR (this folder), GENERATOR, TOOLCHAIN (may be empty), EMULATOR
# (may be empty).
set(work ${BUILD_DIR}/package_check)
file(REMOVE_RECURSE ${work})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nfailed (${result}):\n${output}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${work}/install --config Release)
set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${work}/build -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_PREFIX_PATH=${work}/install)
if(TOOLCHAIN)
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
run(${configure})
run(${CMAKE_COMMAND} --build ${work}/build --config Release)
# Multi-configuration generators put the program one folder deeper.
file(GLOB_RECURSE program ${work}/build/package_consumer.exe)
if(NOT program)
  message(FATAL_ERROR "the consumer program was not built")
endif()
list(GET program 0 program)
run(${EMULATOR} ${program})
message(STATUS "an application built against the installed sets runs")
