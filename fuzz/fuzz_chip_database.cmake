target_link_libraries(${name} PRIVATE window)
# The emulator is loaded with the target, so the link's dlopen of its soname finds it.
if(NOT TARGET usb_emulator)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/emulator ${CMAKE_BINARY_DIR}/emulator)
endif()
target_link_libraries(${name} PRIVATE usb_emulator)
target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/emulator)
