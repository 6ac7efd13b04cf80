# Manual pages of the tools, written by help2man from their --help and --version as they are
# built, so that a page never describes another build's options. A plain install puts them into
# <prefix>/share/man/man1; the Debian package puts them into /usr/share/man/man1, where man looks.
# The program itself is a window and has the operator guides instead.
find_program(ZENKO_HELP2MAN help2man)
if(NOT ZENKO_HELP2MAN)
    message(WARNING "help2man not found: the tools get no manual pages (scripts/install-deps.sh installs it)")
    return()
endif()

set(zenko_man_pages
    picnic-sim "simulated network I/O board with a two-axis antenna rotator"
    setvalue-send "send one set value or query to the antenna controller and print its reply"
    zenko-rotctld "rotctld and serial rotator protocol front end for the antenna controller")
set(zenko_man_dir ${CMAKE_BINARY_DIR}/man)
set(zenko_man_files "")
while(zenko_man_pages)
    list(POP_FRONT zenko_man_pages tool description)
    set(page ${zenko_man_dir}/${tool}.1)
    # picnic-sim links Qt Gui, which wants a display only for --view; offscreen keeps any
    # platform plugin from looking for one. gzip -n leaves out the time, so that two builds of
    # one source give the same package.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${zenko_man_dir}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${ZENKO_HELP2MAN} --no-info --section=1 --name=${description}
            --output=${page} $<TARGET_FILE:${tool}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${tool}
        COMMENT "Writing the manual page of ${tool}"
        VERBATIM)
    list(APPEND zenko_man_files ${page}.gz)
endwhile()
add_custom_target(man-pages ALL DEPENDS ${zenko_man_files})
# The install test installs what a plain install holds, these pages with it.
if(TARGET Install_qtest)
    add_dependencies(Install_qtest man-pages)
endif()

install(FILES ${zenko_man_files} DESTINATION share/man/man1 COMPONENT man-pages)
install(FILES ${zenko_man_files} DESTINATION /usr/share/man/man1
    COMPONENT system-man-pages EXCLUDE_FROM_ALL)
list(APPEND CPACK_COMPONENTS_ALL system-man-pages)
