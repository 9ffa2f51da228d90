# The layering of the source folders is enforced by the build: each case hands one include to the build's
# include check with the folder's real allowed list and expects it to be refused or let through. A header in
# angle brackets is written so.
# Set by the test: SOURCE_DIR, STRUCTURE_DIR (the build's lists of allowed folders), WORK_DIR.

set(cases
    # folder         included header                        expected
    "ui/sounds|ui/editor/EditorView.h|refused"
    "ui/sounds|<ui/editor/EditorView.h>|refused"
    "engine|<engine/linux/PulseAudioOutput.h>|refused"
    "engine/linux/ffmpeg/module|ui/kit/Theme.h|refused"
    "ui/settings|ui/onboarding/OnboardingView.h|refused"
    "ui/editor|ui/shell/MainWindow.h|refused"
    "ui/kit|ui/sounds/SoundsView.h|refused"
    "ui/apprules|engine/linux/DesktopEntries.h|refused"
    "ui/shell|engine/linux/DesktopEntries.h|refused"
    "ui/shell|app/shell/NoticeHUD.h|refused"
    "app|ui/kit/Theme.h|refused"
    "engine|engine/linux/PulseAudioOutput.h|refused"
    "model|engine/SoundRouter.h|refused"
    "ui/sounds|ui/kit/Theme.h|allowed"
    "ui/sounds|app/AppModel.h|allowed"
    "ui/sounds|<ui/kit/Theme.h>|allowed"
    "ui/sounds|<QWidget>|allowed"
    "engine/linux/ffmpeg|<libavcodec/avcodec.h>|allowed"
    "engine/linux/ffmpeg/module|engine/linux/ffmpeg/FfmpegDecoder.h|allowed"
    "ui/shell|ui/triggers/TriggersView.h|allowed"
    "app/shell|engine/linux/DesktopEntries.h|allowed")

set(failures "")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 folder)
    list(GET parts 1 header)
    list(GET parts 2 expected)
    string(REPLACE "/" "_" name "${folder}")
    if(NOT EXISTS "${STRUCTURE_DIR}/${name}.txt")
        string(APPEND failures "\n  src/${folder}: the build checks none of its includes")
        continue()
    endif()
    file(READ "${STRUCTURE_DIR}/${name}.txt" allowed)
    set(file "${WORK_DIR}/${name}/Probe.cpp")
    if(header MATCHES "^<")
        set(include "${header}") # written with angle brackets, as a library's header may be
    else()
        set(include "\"${header}\"")
    endif()
    file(WRITE "${file}" "#include \"${folder}/Probe.h\"\n#include ${include}\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} "-DALLOWED=${allowed}" "-DFILES=${file}" -P
                            ${SOURCE_DIR}/cmake/CheckIncludes.cmake
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(result EQUAL 0)
        set(outcome allowed)
    elseif(err MATCHES "includes ${header}")
        set(outcome refused)
    else()
        set(outcome "broken: ${err}")
    endif()
    if(NOT outcome STREQUAL expected)
        string(APPEND failures "\n  src/${folder} including ${header}: ${outcome}, expected ${expected}")
    endif()
endforeach()

if(failures)
    message(FATAL_ERROR "The layering is not what the build should enforce:${failures}")
endif()
