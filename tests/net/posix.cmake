# The POSIX socket layer and its poll(2) event loop, on loopback only.
vellora_add_test(posix_socket_layer_test LABEL net
  SOURCES posix_sockets_test.cpp
  LIBS platform_posix)
