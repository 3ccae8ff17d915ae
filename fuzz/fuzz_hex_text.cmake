# The control's class library half pulls in the device-change monitor, which listens to udev.
find_package(PkgConfig REQUIRED)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
target_link_libraries(${name} PRIVATE hexedit PkgConfig::UDEV)
