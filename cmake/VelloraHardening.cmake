# Hardening of every program, as Debian's dpkg-buildflags gives it (with BIND_NOW): the C
# library's checked buffer functions (_FORTIFY_SOURCE), the stack protector, and relocations
# that are read-only once the program runs (RELRO with BIND_NOW). The programs parse datagrams
# from the network. _FORTIFY_SOURCE needs the optimiser, so the flags go to the build types
# that optimise, a plain Release build included. A packager whose own flags do this may turn
# them off with -DVELLORA_HARDENING=OFF. The sanitizer builds go without: AddressSanitizer
# checks the same buffer functions itself.
option(VELLORA_HARDENING
       "Build with _FORTIFY_SOURCE=2, -fstack-protector-strong and -z relro -z now when optimising"
       ON)

if(VELLORA_HARDENING AND NOT VELLORA_SANITIZE AND NOT VELLORA_FUZZ)
  set(_optimising "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  # -U first: a compiler or CXXFLAGS that defines it already would otherwise warn of a redefinition.
  add_compile_options("$<${_optimising}:-U_FORTIFY_SOURCE>" "$<${_optimising}:-D_FORTIFY_SOURCE=2>"
                      "$<${_optimising}:-fstack-protector-strong>")
  add_link_options("$<${_optimising}:LINKER:-z,relro>" "$<${_optimising}:LINKER:-z,now>")
endif()
