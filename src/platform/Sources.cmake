# The platform layer's sources, relative to src/: the portable ones, then the implementations of
# the system the build is for.
set(KD4410_PLATFORM_SOURCES
  platform/NumberText.cpp
  platform/Text.cpp
  platform/Sleep.cpp
  platform/InstanceLock.cpp
  platform/Folders.cpp
  platform/AtomicFile.cpp
  platform/Sha256.cpp
)
