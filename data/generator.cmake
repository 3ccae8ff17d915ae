# The chip database Pyrolan.Dat is built from chips.tsv by a small host tool and lands beside
# the program; a bad line in the table fails the build with its line number.
add_executable(chipdb_gen ${CMAKE_CURRENT_SOURCE_DIR}/chipdb_gen.cpp)
target_link_libraries(chipdb_gen PRIVATE engine)
pyrolan_warnings(chipdb_gen)
# Kept out of the program's folder: it is a build tool, not part of the program.
set_target_properties(chipdb_gen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(PYROLAN_CHIP_TABLE ${CMAKE_CURRENT_SOURCE_DIR}/chips.tsv)
set(PYROLAN_CHIP_DATABASE ${PYROLAN_OUTPUT_DIR}/Pyrolan.Dat)
add_custom_command(
  OUTPUT ${PYROLAN_CHIP_DATABASE}
  COMMAND chipdb_gen ${PYROLAN_CHIP_TABLE} ${PYROLAN_CHIP_DATABASE}
  DEPENDS chipdb_gen ${PYROLAN_CHIP_TABLE}
  COMMENT "Building the chip database Pyrolan.Dat"
  VERBATIM)
add_custom_target(chipdb ALL DEPENDS ${PYROLAN_CHIP_DATABASE})

install(FILES ${PYROLAN_CHIP_DATABASE} DESTINATION .)
