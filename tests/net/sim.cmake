# The gateway simulator on loopback: started as a child process, spoken to over 127.0.0.1.
vellora_add_test(gateway_sim_net_test LABEL net
  SOURCES gateway_sim_harness.cpp gateway_sim_udp_test.cpp gateway_sim_tcp_test.cpp
          gateway_sim_hostile_test.cpp
  LIBS protocol)
target_compile_definitions(gateway_sim_net_test PRIVATE
  GATEWAY_SIM_PATH="$<TARGET_FILE:gateway_sim>")
add_dependencies(gateway_sim_net_test gateway_sim)
