# Every target of the project builds with these warnings; a warning is a fault to mend.
function(pyrolan_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# Collects the sources of a folder, so that several people can add files to one
# subsystem without touching its build file.
function(pyrolan_sources out dir)
  file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  set(${out} ${found} PARENT_SCOPE)
endfunction()
