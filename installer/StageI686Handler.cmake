# cmake -DSOURCE=.. -DTREE=.. -DLAUNCHER=.. -DOBJCOPY=.. -DSTAGED=.. -DDEBUG_FILE=.. -P StageI686Handler.cmake
# Builds the 32-bit shell extension in the i686 tree (configuring that tree first when it
# does not exist) and stages it stripped, its debug part beside. A staged file that would
# not change is left alone, so the setup program is made again only when the DLL changed.
if(NOT EXISTS ${TREE}/CMakeCache.txt)
  set(launcher)
  if(LAUNCHER)
    set(launcher -DCMAKE_C_COMPILER_LAUNCHER=${LAUNCHER} -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${TREE} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/toolchain-i686-w64-mingw32.cmake ${launcher}
    RESULT_VARIABLE result OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot configure the i686 tree ${TREE}")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${TREE} --target Quaydrop RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the 32-bit shell extension did not build in ${TREE}")
endif()
file(READ ${TREE}/quaydrop-i686-path.txt dll)

get_filename_component(stage ${STAGED} DIRECTORY)
file(MAKE_DIRECTORY ${stage})
get_filename_component(debug ${DEBUG_FILE} DIRECTORY)
file(MAKE_DIRECTORY ${debug})
execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${dll} ${DEBUG_FILE}.tmp RESULT_VARIABLE r1)
# The link names the debug file by its final name and carries its checksum.
file(COPY_FILE ${DEBUG_FILE}.tmp ${DEBUG_FILE} ONLY_IF_DIFFERENT)
execute_process(COMMAND ${OBJCOPY} --strip-all --add-gnu-debuglink=${DEBUG_FILE} ${dll} ${STAGED}.tmp
                RESULT_VARIABLE r2)
if(NOT r1 EQUAL 0 OR NOT r2 EQUAL 0)
  message(FATAL_ERROR "cannot strip ${dll}")
endif()
file(COPY_FILE ${STAGED}.tmp ${STAGED} ONLY_IF_DIFFERENT)
file(REMOVE ${STAGED}.tmp ${DEBUG_FILE}.tmp)
