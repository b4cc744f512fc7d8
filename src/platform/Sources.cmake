# The platform layer's sources, relative to src/: the portable ones, then the implementations of
# the system the build is for, and the system libraries those need.
set(KD4410_PLATFORM_SOURCES
  platform/NumberText.cpp
  platform/Text.cpp
  platform/Sleep.cpp
  platform/Folders.cpp
  platform/Paths.cpp
  platform/LocalTime.cpp
  platform/RawFile.cpp
  platform/Sha256.cpp
)
set(KD4410_PLATFORM_SYSTEM_SOURCES AtomicFile Console DynamicLibrary Folders InstanceLock RawFile TextCase UsbAccess)
if(WIN32)
  foreach(name ${KD4410_PLATFORM_SYSTEM_SOURCES})
    list(APPEND KD4410_PLATFORM_SOURCES platform/windows/${name}.cpp)
  endforeach()
  list(APPEND KD4410_PLATFORM_SOURCES platform/windows/WideText.cpp)
  # Known Folders (shell32, ole32 for the memory they return), the user's name (advapi32).
  set(KD4410_PLATFORM_LIBRARIES shell32 ole32 advapi32)
else()
  foreach(name ${KD4410_PLATFORM_SYSTEM_SOURCES})
    list(APPEND KD4410_PLATFORM_SOURCES platform/posix/${name}.cpp)
  endforeach()
  set(KD4410_PLATFORM_LIBRARIES ${CMAKE_DL_LIBS})
endif()

# The window's part of the layer (Qt): how the system's request to end reaches the window.
if(WIN32)
  set(KD4410_PLATFORM_GUI_SOURCES platform/windows/TerminationSignals.cpp)
else()
  set(KD4410_PLATFORM_GUI_SOURCES platform/posix/TerminationSignals.cpp)
endif()
