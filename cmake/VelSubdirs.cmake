# Adds every child folder that has a CMakeLists.txt, in name order.
macro(vel_add_child_folders)
  file(GLOB _vel_children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT _vel_children)
  foreach(_vel_child ${_vel_children})
    get_filename_component(_vel_dir ${_vel_child} DIRECTORY)
    add_subdirectory(${_vel_dir})
  endforeach()
endmacro()
