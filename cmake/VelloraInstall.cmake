# Installing a program's man page, and keeping it in step with the program's options.

# Installs `page` (a man page in troff, section 1) compressed as a package wants it, and, with
# the tests, adds a test that runs `target --help` and fails when an option of the help is not
# in the page or the page names an option that the help does not list. Each program calls it
# for its own page: vellora_man_page(vellora ${CMAKE_CURRENT_SOURCE_DIR}/vellora.1). A program
# with commands names them after COMMANDS; the help of each (`target COMMAND --help`) counts too.
function(vellora_man_page target page)
  cmake_parse_arguments(M "" "" "COMMANDS" ${ARGN})
  get_filename_component(name ${page} NAME)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/man/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${page} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${page}
    COMMENT "Compressing the man page ${name}"
    VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  if(VELLORA_TESTS)
    add_test(NAME man_page_${target}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DPAGE=${page}
              "-DCOMMANDS=${M_COMMANDS}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckManPage.cmake)
    set_tests_properties(man_page_${target} PROPERTIES LABELS unit)
  endif()
endfunction()
