# Writes the menu entry for the program installed at CMAKE_INSTALL_PREFIX, as the install runs
# (`cmake --install --prefix` may name another folder than the one configured), and installs it
# into ZENKO_DESKTOP_DATA_DIR/applications. Set before this script runs:
#   ZENKO_DESKTOP_TEMPLATE  the entry with @ZENKO_DESKTOP_EXEC@ in place of the command
#   ZENKO_DESKTOP_STAGING   a folder of the build tree for the written entry
#   ZENKO_DESKTOP_DATA_DIR  absolute (/usr/share), or relative to the prefix (share)

# The Exec key has two levels of escaping: an argument that holds a reserved character is
# double-quoted with \ " ` $ escaped, and then every backslash is doubled as in any string
# value of the file. A percent sign would start a field code.
function(zenko_desktop_exec path result)
    if(path MATCHES "[\n\r]")
        message(FATAL_ERROR "A menu entry cannot start a program whose path holds a line break: ${path}")
    endif()
    set(command "${path}")
    if(command MATCHES "[^A-Za-z0-9_./+,:@=-]")
        string(REPLACE "\\" "\\\\" command "${command}")
        string(REPLACE "\"" "\\\"" command "${command}")
        string(REPLACE "`" "\\`" command "${command}")
        string(REPLACE "$" "\\$" command "${command}")
        string(REPLACE "\\" "\\\\" command "\"${command}\"")
    endif()
    string(REPLACE "%" "%%" command "${command}")
    set(${result} "${command}" PARENT_SCOPE)
endfunction()

zenko_desktop_exec("${CMAKE_INSTALL_PREFIX}/zenko" ZENKO_DESKTOP_EXEC)
file(READ "${ZENKO_DESKTOP_TEMPLATE}" template)
file(CONFIGURE OUTPUT "${ZENKO_DESKTOP_STAGING}/zenko.desktop" CONTENT "${template}" @ONLY)

set(data_dir "${ZENKO_DESKTOP_DATA_DIR}")
if(NOT IS_ABSOLUTE "${data_dir}")
    set(data_dir "${CMAKE_INSTALL_PREFIX}/${data_dir}")
endif()
file(INSTALL DESTINATION "${data_dir}/applications" TYPE FILE
    FILES "${ZENKO_DESKTOP_STAGING}/zenko.desktop")
