# Install rules. The program, its plug-in libraries and the visuals/ and encoders/ folders go together
# into lib/melvane (the program finds its plug-ins beside itself); bin/melvane is a symbolic link to it.
# The desktop entry, the icon set and the playlist MIME type go where desktops look for them.
#
# The target-dependent part runs at the end of the top-level directory, so this file may be included
# before or after the targets are defined.
include(GNUInstallDirs)

set(MELVANE_INSTALL_PROGRAM_DIR lib/melvane)

install(FILES ${PROJECT_SOURCE_DIR}/data/melvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/melvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/melvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME melvane.xml)
install(DIRECTORY DESTINATION ${MELVANE_INSTALL_PROGRAM_DIR}/visuals)
install(DIRECTORY DESTINATION ${MELVANE_INSTALL_PROGRAM_DIR}/encoders)

# Bitmap icons for trays and desktops that do not draw SVG, rendered from the SVG when rsvg-convert
# (librsvg2-bin) is there.
find_program(MELVANE_RSVG_CONVERT rsvg-convert)
if(MELVANE_RSVG_CONVERT)
  set(_melvane_pngs)
  foreach(size 16 32 48 128)
    set(_png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/melvane.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${MELVANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${PROJECT_SOURCE_DIR}/data/icons/melvane.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/melvane.svg VERBATIM)
    list(APPEND _melvane_pngs ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(melvane_icons ALL DEPENDS ${_melvane_pngs})
endif()

function(melvane_install_targets)
  set(installed)
  if(TARGET melvane)
    list(APPEND installed melvane)
    install(TARGETS melvane RUNTIME DESTINATION ${MELVANE_INSTALL_PROGRAM_DIR})
    install(CODE "
      set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      file(MAKE_DIRECTORY \"\${_bin}\")
      file(REMOVE \"\${_bin}/melvane\")
      file(CREATE_LINK \"../${MELVANE_INSTALL_PROGRAM_DIR}/melvane\" \"\${_bin}/melvane\" SYMBOLIC)
      message(STATUS \"Installing: \${_bin}/melvane -> ../${MELVANE_INSTALL_PROGRAM_DIR}/melvane\")")
  endif()
  foreach(tool melvane-play melvane-info)
    if(TARGET ${tool})
      list(APPEND installed ${tool})
      install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  # Plug-in libraries and the folder beside the program each one lives in.
  foreach(entry mv_asfin:. mv_hook:. mv_remote:. asfout:encoders freqbars:visuals oscilloscope:visuals
                levelmeter:visuals)
    string(REPLACE ":" ";" entry ${entry})
    list(GET entry 0 plugin)
    list(GET entry 1 folder)
    if(TARGET ${plugin})
      list(APPEND installed ${plugin})
      set(destination ${MELVANE_INSTALL_PROGRAM_DIR})
      if(NOT folder STREQUAL ".")
        string(APPEND destination /${folder})
      endif()
      install(TARGETS ${plugin} LIBRARY DESTINATION ${destination} RUNTIME DESTINATION ${destination})
    endif()
  endforeach()
  # The install test runs only where these rules are part of the build, and needs what they install.
  if(TARGET desktop_tests)
    target_compile_definitions(desktop_tests PRIVATE MELVANE_INSTALL_RULES=1)
    if(TARGET melvane_icons)
      list(APPEND installed melvane_icons)
    endif()
    if(installed)
      add_dependencies(desktop_tests ${installed})
    endif()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL melvane_install_targets)
