# Run by `cmake --install`: writes the desktop entry with the program's full installed path (the prefix is
# known only now), installs it, and refreshes the desktop's file-type and application caches where the tools
# are there and the files land in their final place (no DESTDIR staging).
# Set by the install rules: TAPCHIME_SOURCE_DIR, TAPCHIME_BINDIR, TAPCHIME_DATADIR. The entry is written in a
# temporary folder, never in the build tree: an install as another user (sudo) must leave the build tree alone.

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
set(staging "$ENV{TMPDIR}")
if(staging STREQUAL "")
    set(staging "/tmp")
endif()
string(RANDOM LENGTH 12 suffix)
set(staging "${staging}/tapchime-install-${suffix}")
file(WRITE "${staging}/tapchime.desktop" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TAPCHIME_DATADIR}/applications" TYPE FILE
     FILES "${staging}/tapchime.desktop")
file(REMOVE_RECURSE "${staging}")

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
