# Installs the build into a fresh prefix (with a space in its path) and checks that every file is in its XDG
# place, that the desktop entry is valid and starts the installed program, that the pack file type is known to the
# system while the entry claims no file type (the program opens no file it is given: packs are imported from its
# Sounds screen), and that the install wrote nothing into the build tree (an install with sudo must leave it alone).
#   cmake -DBUILD_DIR=<build> -DSOURCE_DIR=<source> -DPREFIX=<empty folder to install into> -P CheckInstall.cmake

function(fail message)
    message(FATAL_ERROR "install: ${message}")
endfunction()

function(expect_file path)
    if(NOT EXISTS "${PREFIX}/${path}" OR IS_DIRECTORY "${PREFIX}/${path}")
        fail("${path} is missing")
    endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
# Files the install changes in the build tree are newer than this mark. The tests' own folders (this prefix is
# one) and CTest's are left out: other tests write there meanwhile. CMake's own list of what it installed,
# install_manifest.txt, is the one file it always writes beside the build.
get_filename_component(markDir "${PREFIX}" DIRECTORY)
file(MAKE_DIRECTORY "${markDir}")
file(TOUCH "${markDir}/before-install")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    fail("cmake --install failed:\n${output}")
endif()

execute_process(COMMAND find "${BUILD_DIR}" ( -path "${BUILD_DIR}/tests" -o -path "${BUILD_DIR}/Testing" ) -prune -o -type f -newer
                        "${markDir}/before-install" -not -name install_manifest.txt -print
                OUTPUT_VARIABLE written RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT written STREQUAL "")
    fail("cmake --install wrote into the build tree:\n${written}")
endif()

# The program and every built-in sound, where the program looks for them (share/tapchime/sounds beside bin/).
expect_file(bin/tapchime)
# The FFmpeg module the program loads while it reads or writes audio files, found from bin/ as lib/tapchime.
expect_file(lib/tapchime/tapchime-ffmpeg.so)
execute_process(COMMAND test -x "${PREFIX}/bin/tapchime" RESULT_VARIABLE notExecutable)
if(NOT notExecutable EQUAL 0)
    fail("bin/tapchime is not executable")
endif()
file(GLOB_RECURSE sounds RELATIVE "${SOURCE_DIR}/resources/sounds" "${SOURCE_DIR}/resources/sounds/*")
list(LENGTH sounds count)
if(count LESS 10)
    fail("the source tree lists only ${count} built-in sound files")
endif()
foreach(sound IN LISTS sounds)
    expect_file("share/tapchime/sounds/${sound}")
endforeach()

# The icon, the file type of share packs (which the database tool has read) and the desktop entry.
expect_file(share/icons/hicolor/scalable/apps/tapchime.svg)
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/tapchime.svg" icon)
if(NOT icon MATCHES "<svg[^>]*viewBox=\"0 0 256 256\"")
    fail("the icon is not a square SVG")
endif()
expect_file(share/mime/packages/tapchime.xml)
find_program(update_mime update-mime-database)
if(update_mime)
    expect_file(share/mime/application/x-tapchime.xml)
    file(READ "${PREFIX}/share/mime/application/x-tapchime.xml" type)
    if(NOT type MATCHES "application/json" OR NOT type MATCHES "\\*\\.tapchime")
        fail("the pack type is not a kind of JSON named *.tapchime:\n${type}")
    endif()
endif()

set(entryPath "${PREFIX}/share/applications/tapchime.desktop")
expect_file(share/applications/tapchime.desktop)
find_program(validate desktop-file-validate)
if(NOT validate)
    fail("desktop-file-validate is missing: run scripts/setup (package desktop-file-utils)")
endif()
execute_process(COMMAND "${validate}" "${entryPath}" RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT result EQUAL 0 OR NOT report STREQUAL "")
    fail("desktop-file-validate does not accept the entry:\n${report}")
endif()
file(STRINGS "${entryPath}" lines)
foreach(expected IN ITEMS "Name=Tapchime" "Exec=\"${PREFIX}/bin/tapchime\"" "Icon=tapchime" "Type=Application"
                          "StartupWMClass=Tapchime")
    list(FIND lines "${expected}" at)
    if(at EQUAL -1)
        fail("the entry has no line \"${expected}\":\n${lines}")
    endif()
endforeach()
set(claims "${lines}")
list(FILTER claims INCLUDE REGEX "^MimeType=")
if(claims)
    fail("the entry claims file types the program does not open: ${claims}")
endif()
list(FILTER lines INCLUDE REGEX "^Categories=.+;$")
if(NOT lines)
    fail("the entry names no categories")
endif()

file(REMOVE_RECURSE "${PREFIX}")
