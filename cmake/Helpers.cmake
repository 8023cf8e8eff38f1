# oh_static_library(<name> <dir> [DEPS ...])
# A static library made of every .cpp file in <dir> (not its sub-folders).
# The source root is on the include path, so headers are included by their
# path from the top: #include "platform/runtime/variant.h".
function(oh_static_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
    if(ARG_DEPS)
      target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${OH_INSTALL_INCLUDEDIR}>)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# oh_test(<name> <dir> [DEPS ...])
# One GoogleTest executable made of every .cpp file in <dir>; its cases are
# registered with CTest. Tests find their fixtures through OH_TEST_DATA and
# the program directory through OH_PROGDIR.
function(oh_test name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  # Tests reach the library's internals (its state, test doubles), which
  # the installed library does not export: they link the unrestricted twin.
  set_target_properties(${name} PROPERTIES OH_HALVEX_INTERNAL ON)
  target_compile_definitions(${name} PRIVATE
    OH_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    OH_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    OH_PROGDIR="${OH_OUTPUT_DIR}")
  add_dependencies(${name} progdir_files)
  # The user's settings folder of a test is never the real one: each test
  # program makes a fresh one (tests/settings_folder.cpp).
  target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/settings_folder.cpp)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endfunction()

# oh_shared_library(<name> <dir> [DEPS ...])
# Like oh_static_library, but a shared library with a version: for layers
# that must exist once in a process that loads both a program and
# libhalvex.so (the run-time layer; the forms layer: message boxes, forms,
# handles, settings). Static layers it links stay private to it.
function(oh_shared_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
    return()
  endif()
  add_library(${name} SHARED ${srcs})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${OH_INSTALL_INCLUDEDIR}>)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endfunction()
