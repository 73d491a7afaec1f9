# The skin of a cross build, made by the build machine's own tools: the artwork generator and the
# packer draw and check with the native drawing backend, so a Windows executable embeds the same
# archive as the Linux one.
#   cmake -DSOURCE=<source tree> -DHOST=<native build tree> -DOUTPUT=<folder> -P HostSkin.cmake
# A native build tree that does not exist yet is configured first (the release preset when it is
# the preset's own folder).
if(NOT EXISTS ${HOST}/CMakeCache.txt)
    if(HOST STREQUAL "${SOURCE}/build/release")
        execute_process(COMMAND ${CMAKE_COMMAND} --preset release WORKING_DIRECTORY ${SOURCE} RESULT_VARIABLE result)
    else()
        execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${HOST} -G Ninja -DCMAKE_BUILD_TYPE=Release
                        RESULT_VARIABLE result)
    endif()
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Configuring the native build ${HOST} for the skin's tools failed")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${HOST} --target tvu_skin RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Building the skin in the native build ${HOST} failed")
endif()
foreach(name skin.zip icon.png)
    file(COPY_FILE ${HOST}/skin/${name} ${OUTPUT}/${name} ONLY_IF_DIFFERENT)
endforeach()
