# The program icon as a Windows resource: the PNG sizes of gui/resources/icons made into one
# .ico (ImageMagick) at build time and linked in through a resource script.
# SPDX-License-Identifier: MIT
find_program(ORVANE_CONVERT convert REQUIRED)

function(orvane_windows_icon target icons)
  set(ico ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
  set(pngs)
  foreach(size 16 24 32 48 64 128 256)
    list(APPEND pngs ${icons}/orvane-${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${ico} COMMAND ${ORVANE_CONVERT} ${pngs} ${ico} DEPENDS ${pngs}
                     COMMENT "Making ${target}.ico")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_icon.rc)
  file(WRITE ${rc} "1 ICON \"${ico}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ico})
  target_sources(${target} PRIVATE ${rc})
endfunction()
