# The line database against a PostgreSQL server of the test's own, on a Unix socket in a
# temporary folder (never a TCP port): its calls, the faults it survives, and vellora-cli's line
# commands.
vellora_add_test(line_database_test LABEL net TIMEOUT 300
  SOURCES line_database_test.cpp line_faults_test.cpp
  LIBS line_lab)

vellora_add_test(line_cli_test LABEL net
  SOURCES line_cli_test.cpp
  LIBS line_lab child_run)
target_compile_definitions(line_cli_test PRIVATE VELLORA_CLI_PATH="$<TARGET_FILE:vellora-cli>"
  VELLORA_GUIDE="${PROJECT_SOURCE_DIR}/docs/user-guide.md")
add_dependencies(line_cli_test vellora-cli)

# The window as a station of the line, on the in-memory window system and sockets.
vellora_add_test(line_window_test LABEL net TIMEOUT 300
  SOURCES line_window_test.cpp
  LIBS line_lab memory_program)
