# Warnings are errors in waiting: every target of the project gets them.
function(vantix_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
                                             -Wno-missing-field-initializers)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wshadow=local)
    else()
        target_compile_options(${target} PRIVATE -Wshadow-uncaptured-local)
    endif()
endfunction()
