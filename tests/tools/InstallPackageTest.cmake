# Installs the framework into an empty prefix, builds examples/hello against that prefix alone -
# once through find_package(TarvionUI), once with nothing but the pkg-config file and the compiler -
# and runs both builds without a display: each must show its window, take the click on its "quit"
# button and end with 0.
#   cmake -DBUILD_DIR=... -DEXAMPLE_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=... -P InstallPackageTest.cmake
foreach(var BUILD_DIR EXAMPLE_DIR WORK_DIR CXX GENERATOR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "failed (${code}): ${ARGN}\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_clicked output what)
    if(NOT output STREQUAL "window shown\nquit clicked\n")
        message(FATAL_ERROR "${what} printed:\n${output}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(expected include/tarvion-ui/ui/manager/WindowManager.h include/tarvion-ui/platform/WindowSystem.h
                 lib/cmake/TarvionUI/TarvionUIConfig.cmake lib/pkgconfig/tarvion-ui.pc)
    if(NOT EXISTS ${prefix}/${expected})
        message(FATAL_ERROR "the install lacks ${expected}")
    endif()
endforeach()

# The CMake package.
run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/cmake-build -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run(${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${WORK_DIR}/cmake-build/hello-skin
    ${EXAMPLE_DIR}/skin --click-quit)
expect_clicked("${run_output}" "the find_package build")

# The pkg-config file, with the compiler alone.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
run(${PKG_CONFIG} --cflags --libs tarvion-ui)
string(STRIP "${run_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} -std=c++20 -O1 -o ${WORK_DIR}/hello-pc ${EXAMPLE_DIR}/main.cpp ${flags})
run(${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${WORK_DIR}/hello-pc ${EXAMPLE_DIR}/skin
    --click-quit)
expect_clicked("${run_output}" "the pkg-config build")

# The example's skin is clean.
run(${BUILD_DIR}/tools/skintool/skintool check ${EXAMPLE_DIR}/skin/main.xml --strict)
