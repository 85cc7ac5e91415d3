# find_package(ProbedeckFoundation 1 CONFIG REQUIRED) reads this file.
# Targets: Probedeck::foundation (errors with their message catalogue, text
# items and conversions, locks, per-thread slots, tracing) and
# Probedeck::components (folder locator, COM objects from a component file).
include(${CMAKE_CURRENT_LIST_DIR}/ProbedeckFoundationTargets.cmake)
