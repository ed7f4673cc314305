/* Plain C ends of a DCC SEND, for comparing the program's receiver with. */
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A listening socket on a free port of 127.0.0.1, or -1. */
int plain_listen(int* port);
/* Accepts one receiver and sends the file in blocks, each only after the one
 * before has been acknowledged. 0 when every byte was acknowledged. */
int plain_send(int listener, const char* path, size_t block);
/* Connects, stores size bytes in path and acknowledges every read. */
int plain_receive(int port, uint32_t size, const char* path);

#ifdef __cplusplus
}
#endif
