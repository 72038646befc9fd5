# Install rules. The program, its plug-in libraries and the visuals/ and encoders/ folders go together
# into lib/melvane (the program finds its plug-ins beside itself); bin/melvane is a symbolic link to it.
# The desktop entry, the icon set, the playlist MIME type, the AppStream data and the manual page go where
# desktops, software centres and man look for them. cmake/Package.cmake makes the Debian package of it.
#
# The target-dependent part runs at the end of the top-level directory, so this file may be included
# before or after the targets are defined.
include(GNUInstallDirs)

set(MELVANE_INSTALL_PROGRAM_DIR lib/melvane)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(FILES ${PROJECT_SOURCE_DIR}/data/melvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/melvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/melvane-symbolic.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/org.example.melvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/melvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME melvane.xml)
# melvane-remote's default button map, found from lib/melvane as ../../share/melvane.
install(FILES ${PROJECT_SOURCE_DIR}/data/lirc-buttons.map DESTINATION ${CMAKE_INSTALL_DATADIR}/melvane)
install(DIRECTORY DESTINATION ${MELVANE_INSTALL_PROGRAM_DIR}/visuals)
install(DIRECTORY DESTINATION ${MELVANE_INSTALL_PROGRAM_DIR}/encoders)

# The manual pages and the change log, compressed as Debian keeps them (no name or time stamp inside).
find_program(MELVANE_GZIP gzip REQUIRED)
set(_melvane_gzipped)
foreach(entry data/man/melvane.1:${CMAKE_INSTALL_MANDIR}/man1 data/man/melvane-info.1:${CMAKE_INSTALL_MANDIR}/man1
              data/man/melvane-cd.1:${CMAKE_INSTALL_MANDIR}/man1
              data/man/melvane-remote.1:${CMAKE_INSTALL_MANDIR}/man1 data/doc/changelog:${CMAKE_INSTALL_DOCDIR})
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 source)
  list(GET entry 1 destination)
  get_filename_component(name ${source} NAME)
  set(_copy ${PROJECT_BINARY_DIR}/gzipped/${name})
  add_custom_command(OUTPUT ${_copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${_copy}
    COMMAND ${MELVANE_GZIP} -9nf ${_copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND _melvane_gzipped ${_copy}.gz)
  install(FILES ${_copy}.gz DESTINATION ${destination})
endforeach()
add_custom_target(melvane_gzipped ALL DEPENDS ${_melvane_gzipped})

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
  # The player and the tools that read files beside it (the CD tool the program's cd.ini) live in the
  # program folder, each with a link in bin.
  foreach(program melvane melvane-cd melvane-remote)
    if(TARGET ${program})
      list(APPEND installed ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${MELVANE_INSTALL_PROGRAM_DIR})
      install(CODE "
        set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${_bin}\")
        file(REMOVE \"\${_bin}/${program}\")
        file(CREATE_LINK \"../${MELVANE_INSTALL_PROGRAM_DIR}/${program}\" \"\${_bin}/${program}\" SYMBOLIC)
        message(STATUS \"Installing: \${_bin}/${program} -> ../${MELVANE_INSTALL_PROGRAM_DIR}/${program}\")")
    endif()
  endforeach()
  foreach(tool melvane-info)
    if(TARGET ${tool})
      list(APPEND installed ${tool})
      install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  # Plug-in libraries and the folder beside the program each one lives in.
  foreach(entry mv_asfin:. mv_hook:. mv_remote:. asfout:encoders flacout:encoders oggout:encoders freqbars:visuals oscilloscope:visuals
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
    foreach(generated melvane_icons melvane_gzipped)
      if(TARGET ${generated})
        list(APPEND installed ${generated})
      endif()
    endforeach()
    if(installed)
      add_dependencies(desktop_tests ${installed})
    endif()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL melvane_install_targets)

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
