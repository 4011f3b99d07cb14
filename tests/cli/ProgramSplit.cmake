# The two programs of vantix as a user meets them: vantix itself never loads
# Qt Gui, and through the one name a command of its own and one that asks the
# font database both work, from the build tree and from an installation (vantix
# in bin/, vantix-gui in libexec/vantix/, found from there).
#
# cmake -D VANTIX=<built vantix> -D VERSION=<its version> -D BUILD_DIR=<build tree>
#       -D WORK=<scratch folder>
#       -P ProgramSplit.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(hive ${WORK}/hive.sqlite3)
file(WRITE ${WORK}/page.htm "<B>bold</B>")

# Runs vantix; the libraries it loaded (the dynamic loader's own account, so a
# library loaded by a plugin counts too) go to `${prefix}_loaded`.
function(vantix prefix expected_out)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_DEBUG=files LD_DEBUG_OUTPUT=${WORK}/ld
                            ${ARGN}
                    INPUT_FILE ${WORK}/page.htm
                    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT out STREQUAL expected_out)
        message(FATAL_ERROR "${ARGN}\ngave status ${status}, stdout \"${out}\", stderr ${err}"
                            "\ninstead of \"${expected_out}\"")
    endif()
    file(GLOB logs ${WORK}/ld.*)
    set(loaded "")
    foreach(log ${logs})
        file(READ ${log} text)
        string(APPEND loaded "${text}")
    endforeach()
    file(REMOVE ${logs})
    set(${prefix}_loaded "${loaded}" PARENT_SCOPE)
endfunction()

function(check_programs vantix)
    vantix(set "" ${vantix} --registry ${hive} settings set Tagmill Check yes)
    vantix(get "yes\n" ${vantix} --registry ${hive} settings get Tagmill Check)
    vantix(version "vantix ${VERSION}\n" ${vantix} --version)
    foreach(run get version)
        if(NOT ${run}_loaded MATCHES "libQt6Core")
            message(FATAL_ERROR "no account of the libraries that ${vantix} loaded")
        endif()
        if(${run}_loaded MATCHES "libQt6Gui")
            message(FATAL_ERROR "${vantix} loaded Qt Gui for a command that needs no fonts")
        endif()
        if(${run}_loaded MATCHES "libgmime")
            message(FATAL_ERROR "${vantix} loaded the mail library for a command without mail")
        endif()
    endforeach()
    vantix(convert "\\b bold\\b0 " ${vantix} convert html2rtf)
    if(NOT convert_loaded MATCHES "libQt6Gui")
        message(FATAL_ERROR "${vantix} converted HTML without the font database")
    endif()
endfunction()

check_programs(${VANTIX})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK}/prefix
                OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing into ${WORK}/prefix failed")
endif()
check_programs(${WORK}/prefix/bin/vantix)
