# The POSIX UDP endpoint inside network namespaces that the test makes and removes (root and
# iproute2 needed, skipped otherwise). The only place where the socket layer broadcasts.
vellora_add_test(posix_udp_netns_test LABEL e2e TIMEOUT 120
  SOURCES posix_udp_netns_test.cpp
  LIBS platform_posix netns_support)
