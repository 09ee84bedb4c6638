# The installation folder: the programs laid out as they expect to find each
# other, next to the build's bin folder. The run command and the program
# tests start Torvanik.exe from here. Where a piece is third-party and absent
# on this machine (the adb server, devcon, aapt, wke.dll), the project's own
# stand-in from tests/ takes its place.
set(TORVANIK_INSTALLATION ${CMAKE_BINARY_DIR}/installation)
set(_inst ${TORVANIK_INSTALLATION})
set(_skin_source ${CMAKE_SOURCE_DIR}/skins/Torvanik)
file(GLOB _skin_files CONFIGURE_DEPENDS RELATIVE ${_skin_source} ${_skin_source}/*)

set(_commands)
set(_depends)
# installation_place(<target> <folder below the installation> [<file name>])
macro(installation_place target folder)
  if(TARGET ${target})
    set(_name "${ARGN}")
    if(NOT _name)
      set(_name "$<TARGET_FILE_NAME:${target}>")
    endif()
    list(APPEND _commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${_inst}/${folder}/${_name})
    list(APPEND _depends ${target})
  endif()
endmacro()

installation_place(Torvanik .)
installation_place(Hemlar .)
installation_place(UiLib_u .)
installation_place(Brevlin .)
installation_place(Quellart .)
installation_place(Pellarine DownModule Pellarine_u.exe)
# The SQLite library with the compiler's runtime DLLs it shares with its callers.
installation_place(Ostrune .)
foreach(_dll IN LISTS TORVANIK_RUNTIME_DLLS)
  list(APPEND _commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_dll} ${_inst}/)
endforeach()
installation_place(UiLib_u DownModule)
# Stand-ins for third-party pieces.
installation_place(wke_standin .)
installation_place(adb_server_peer Rirorivuvi RirorivUvi.exe)
installation_place(standin_aapt Rirorivuvi)
installation_place(standin_devcon_x64 AndroidTool)
installation_place(standin_devcon_x86 AndroidTool)
installation_place(standin_Kovi_adb Rirorivuvi/adb)

add_custom_target(installation ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_inst}/DownModule ${_inst}/skin/Torvanik ${_inst}/data ${_inst}/log
          ${_inst}/autoupdate ${_inst}/Rirorivuvi ${_inst}/Rirorivuvi/adb ${_inst}/AndroidTool ${_inst}/Font
  ${_commands}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${_skin_source} ${_inst}/skin/Torvanik
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skins/BrevlinsUI ${_inst}/skin/BrevlinsUI
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skins/Pellarine ${_inst}/DownModule/skins/Pellarine
  COMMAND ${CMAKE_COMMAND} -E tar cf ${_inst}/skin/Torvanik.zip --format=zip ${_skin_files}
  # Settings and the recorded version are the user's once installed: only placed when missing.
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/app/install -DTARGET=${_inst}
          -P ${CMAKE_SOURCE_DIR}/cmake/PlaceMissingFiles.cmake
  WORKING_DIRECTORY ${_skin_source}
  DEPENDS ${_depends}
  COMMENT "Assembling the installation folder"
  VERBATIM)
