# Shared settings for every target of the project.

function(vellora_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion -Wold-style-cast
                                           -Wnon-virtual-dtor -Woverloaded-virtual)
  if(VELLORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 at -O3 reports overlapping copies inside libstdc++'s own string concatenation
  # (GCC bug 105329), where nothing overlaps; a Release build would stop on them.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# Makes the headers of `folder` (its own, not those of the folders below it) includable as
# "folder/name.h" by the target and, unless PRIVATE is given, by every target that links it,
# and by nothing else: a file can include only what its target links. So a layer that reaches
# against the order of the layers, or into a sibling component, fails to build.
function(vellora_layer target folder)
  cmake_parse_arguments(L "PRIVATE" "" "" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(L_PRIVATE)
    target_include_directories(${target} PRIVATE ${root})
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# Fails the configuration when a target reaches Qt through its link libraries, directly or
# through another target. Together with Qt's headers being outside the default include path,
# this keeps the logic free of any GUI dependency.
function(_vellora_collect_links target out)
  get_target_property(libs ${target} LINK_LIBRARIES)
  get_target_property(ilibs ${target} INTERFACE_LINK_LIBRARIES)
  set(all)
  foreach(lib IN LISTS libs ilibs)
    if(lib AND NOT lib MATCHES "-NOTFOUND$")
      list(APPEND all ${lib})
    endif()
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

function(vellora_forbid_qt target)
  set(queue ${target})
  set(seen)
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(current MATCHES "^Qt[0-9]*::" OR current MATCHES "libQt[0-9]")
      message(FATAL_ERROR "${target} must not depend on Qt, but reaches ${current}")
    endif()
    if(TARGET ${current})
      _vellora_collect_links(${current} deps)
      list(APPEND queue ${deps})
    endif()
  endwhile()
endfunction()
