# One static library per folder of the layout; its sources are the folder's own.
function(vel_folder_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    # A layer not written yet still links for the layers above it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One test executable per area, its cases listed at test time so that a build
# never has to start Wine.
function(vel_test_executable name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${VEL_OUT} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

# A resource-only library built from a resource script, laid out in a folder
# beside the program (Languages, Themes).
function(vel_resource_library name script folder)
  add_library(${name} MODULE ${script})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".dll"
    LINKER_LANGUAGE C
    LIBRARY_OUTPUT_DIRECTORY ${VEL_OUT}/${folder}
    # windres takes none of the compilers' warning options.
    COMPILE_OPTIONS "")
  # No code, so no entry point: the loader then calls nothing.
  target_link_options(${name} PRIVATE -nostdlib -Wl,--entry=0)
endfunction()

# A module-definition file for this architecture: 32-bit stdcall exports carry
# their argument bytes (Name@8), 64-bit ones have no decoration.
function(vel_def_file out_var def)
  file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${def} text)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${def})
  set(old "")
  if(EXISTS ${out})
    file(READ ${out} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${out} "${text}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${def})
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()
