# Shared settings for every target of the project.

function(vellora_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion -Wold-style-cast)
  if(VELLORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
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
