# Run by the build before a library compiles (cmake -P): every quoted include of the library's own files must
# name a header of the library's folder or of a folder it depends on, so that a view that reaches into another
# screen, or a screen into the platform backends, fails to build instead of growing a hidden dependency.
# Set by the caller: FOLDER (the library's folder under src), ALLOWED (its folder and those of every library it
# depends on, a list), FILES (the files to read, a list) and STAMP (written when every include is allowed).

cmake_minimum_required(VERSION 3.25)

set(faults "")
foreach(file IN LISTS FILES)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"/]+\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)/[^\"/]+\".*" "\\1" folder "${line}")
        if(NOT folder IN_LIST ALLOWED)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
            file(RELATIVE_PATH shown "${CMAKE_CURRENT_LIST_DIR}/.." "${file}")
            string(APPEND faults "\n  ${shown}: includes ${header}")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN ALLOWED ", " allowed)
    message(FATAL_ERROR "src/${FOLDER} may include only headers of ${allowed}:${faults}")
endif()
if(STAMP)
    file(WRITE "${STAMP}" "")
endif()
