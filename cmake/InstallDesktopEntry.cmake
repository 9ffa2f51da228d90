# Run by `cmake --install`: writes the desktop entry with the program's full installed path (the prefix is
# known only now), installs it, and refreshes the desktop's file-type and application caches where the tools
# are there and the files land in their final place (no DESTDIR staging).
# Set by the install rules: TAPCHIME_SOURCE_DIR, TAPCHIME_STAGING_DIR, TAPCHIME_BINDIR, TAPCHIME_DATADIR.

set(program "${CMAKE_INSTALL_PREFIX}/${TAPCHIME_BINDIR}/tapchime")
# An Exec argument with a reserved character is quoted, with the characters that keep a meaning inside quotes
# escaped; then every backslash is doubled once more for the entry's string value, and "%" becomes "%%".
if(program MATCHES "[ \t\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" program "${program}")
    string(REPLACE "\"" "\\\"" program "${program}")
    string(REPLACE "$" "\\$" program "${program}")
    string(REPLACE "`" "\\`" program "${program}")
    set(program "\"${program}\"")
    string(REPLACE "\\" "\\\\" program "${program}")
endif()
string(REPLACE "%" "%%" program "${program}")

file(READ "${TAPCHIME_SOURCE_DIR}/resources/linux/tapchime.desktop.in" entry)
string(REPLACE "@TAPCHIME_EXEC@" "${program}" entry "${entry}")
file(WRITE "${TAPCHIME_STAGING_DIR}/tapchime.desktop" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TAPCHIME_DATADIR}/applications" TYPE FILE
     FILES "${TAPCHIME_STAGING_DIR}/tapchime.desktop")

if("$ENV{DESTDIR}" STREQUAL "")
    find_program(TAPCHIME_UPDATE_MIME update-mime-database)
    if(TAPCHIME_UPDATE_MIME)
        execute_process(COMMAND "${TAPCHIME_UPDATE_MIME}" "${CMAKE_INSTALL_PREFIX}/${TAPCHIME_DATADIR}/mime"
                        OUTPUT_QUIET ERROR_QUIET)
    endif()
    find_program(TAPCHIME_UPDATE_DESKTOP update-desktop-database)
    if(TAPCHIME_UPDATE_DESKTOP)
        execute_process(COMMAND "${TAPCHIME_UPDATE_DESKTOP}" -q "${CMAKE_INSTALL_PREFIX}/${TAPCHIME_DATADIR}/applications"
                        OUTPUT_QUIET ERROR_QUIET)
    endif()
endif()
