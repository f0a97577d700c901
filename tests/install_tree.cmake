# Installs the build into a staging directory as `cmake --install` does for
# a user, and checks that the program, the simulator, the exporter, the
# archive tool, the icons and the desktop entry land where a desktop looks
# for them.
#   cmake -DBUILD_DIR=... -DSTAGE=... -DICON_SIZES="16;32" -P install_tree.cmake
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE}/usr"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected bin/vextrum-dgs bin/vextrum-sim bin/vextrum-export bin/vextrum-archive
    share/applications/vextrum-dgs.desktop
    share/icons/hicolor/scalable/apps/vextrum-dgs.svg)
foreach(size ${ICON_SIZES})
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/vextrum-dgs.png)
endforeach()
foreach(f ${expected})
    if(NOT EXISTS "${STAGE}/usr/${f}")
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

# The desktop entry starts the installed program and names the installed icon.
file(STRINGS "${STAGE}/usr/share/applications/vextrum-dgs.desktop" entry)
foreach(line "Exec=vextrum-dgs" "Icon=vextrum-dgs" "Name=Vextrum DGS")
    list(FIND entry "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the desktop entry lacks ${line}")
    endif()
endforeach()

# The installed simulator runs from its new place.
execute_process(COMMAND "${STAGE}/usr/bin/vextrum-sim" --help RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Galvanor-II")
    message(FATAL_ERROR "the installed vextrum-sim does not run: ${rc}")
endif()
