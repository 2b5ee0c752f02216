# Runs in cpack after the files are staged: the machine registry file written
# by the install step holds the name of the user who built the package (from
# the passwd entry). A package installs on other machines, so its "Name" is
# blanked unless ORV_USER_NAME was given for the package on purpose.
if(DEFINED ENV{ORV_USER_NAME})
    return()
endif()
file(GLOB_RECURSE orv_machine_files "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/machine.reg")
foreach(file IN LISTS orv_machine_files)
    file(READ "${file}" text)
    string(REGEX REPLACE "\n\"Name\"=\"[^\n]*\n" "\n\"Name\"=\"\"\n" text "${text}")
    file(WRITE "${file}" "${text}")
    message(STATUS "Package machine registry without a user name: ${file}")
endforeach()
