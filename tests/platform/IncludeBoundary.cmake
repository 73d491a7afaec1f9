# Compiles one #include with exactly the include directories a library offers to what links it, and
# checks the outcome: EXPECT=compiles, or EXPECT=fails with the header not found (any other failure
# is a fault of the probe, not a proof of the boundary).
#   cmake -DCOMPILER=... -DINCLUDES=a|b -DHEADER=platform/X.h -DEXPECT=compiles|fails -DWORK=dir -P IncludeBoundary.cmake
string(REPLACE "|" ";" dirs "${INCLUDES}")
set(flags "")
foreach(dir ${dirs})
    list(APPEND flags "-I${dir}")
endforeach()
string(MAKE_C_IDENTIFIER "${HEADER}" name)
set(probe "${WORK}/${name}.cpp")
file(WRITE "${probe}" "#include \"${HEADER}\"\n")
execute_process(COMMAND "${COMPILER}" -std=c++20 -fsyntax-only ${flags} "${probe}"
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(EXPECT STREQUAL "compiles")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${HEADER} should compile with ${INCLUDES}:\n${errors}")
    endif()
elseif(result EQUAL 0)
    message(FATAL_ERROR "${HEADER} compiled with ${INCLUDES}, which must not offer it")
elseif(NOT errors MATCHES "${HEADER}: No such file or directory")
    message(FATAL_ERROR "${HEADER} failed for another reason than not being found:\n${errors}")
endif()
