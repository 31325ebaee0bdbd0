# Installs the built library into WORK_DIR/prefix, then configures, builds and runs the
# consumer project against that installation (with the README's C++ example among its
# programs), and checks the pkg-config file.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

file(READ ${README} readme)
string(FIND "${readme}" "```cpp\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "README.md has no C++ example")
endif()
math(EXPR start "${start} + 7")
string(SUBSTRING "${readme}" ${start} -1 example)
string(FIND "${example}" "```" length)
string(SUBSTRING "${example}" 0 ${length} example)
file(WRITE ${WORK_DIR}/readme_example.cpp "${example}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DREADME_EXAMPLE=${WORK_DIR}/readme_example.cpp)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)

foreach(program consumer_cpp consumer_c readme_example)
  if(EXISTS ${WORK_DIR}/build/${program})
    run(${WORK_DIR}/build/${program})
    message(STATUS "${program}: ${last_output}")
  endif()
endforeach()

file(GLOB_RECURSE pc_files ${prefix}/*/vecmat.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(pkg-config --cflags --libs vecmat)
if(NOT last_output MATCHES "-I[^ ]*/include" OR NOT last_output MATCHES "-lvecmat")
  message(FATAL_ERROR "pkg-config gave: ${last_output}")
endif()
