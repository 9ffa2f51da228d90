# Run by the build before a library compiles (cmake -P): every include of the library's own files must name a
# header of the library's folder or of a folder it depends on, so that a view that reaches into another screen,
# or a screen into the platform backends, fails to build instead of growing a hidden dependency. An include in
# angle brackets is one of ours when its path starts with one of the folders under src (model, engine, ...);
# the rest are the system's and the libraries'.
# Set by the caller: FOLDER (the library's folder under src), ALLOWED (its folder and those of every library it
# depends on, a list), FILES (the files to read, a list) and STAMP (written when every include is allowed).

cmake_minimum_required(VERSION 3.25)

file(GLOB tops LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_LIST_DIR}/../src" "${CMAKE_CURRENT_LIST_DIR}/../src/*")
set(ours "")
foreach(top IN LISTS tops)
    if(IS_DIRECTORY "${CMAKE_CURRENT_LIST_DIR}/../src/${top}")
        list(APPEND ours "${top}")
    endif()
endforeach()

set(faults "")
foreach(file IN LISTS FILES)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*(\"[^\"]+/[^\"/]+\"|<[^>]+/[^>/]+>)")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" header "${line}")
        string(REGEX REPLACE "/[^/]+$" "" folder "${header}")
        string(REGEX REPLACE "/.*" "" top "${header}")
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<")
            if(NOT top IN_LIST ours)
                continue()
            endif()
            set(header "<${header}>")
        endif()
        if(NOT folder IN_LIST ALLOWED)
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
