# The gateway simulator on loopback: started as a child process, spoken to over 127.0.0.1.
vellora_add_test(gateway_sim_net_test LABEL net
  SOURCES gateway_sim_test.cpp
  LIBS sim_process child_run protocol)
target_compile_definitions(gateway_sim_net_test PRIVATE
  GATEWAY_SIM_PATH="$<TARGET_FILE:gateway_sim>")
