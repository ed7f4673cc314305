/* The two ends of a DCC SEND as the smallest C programs would write them:
 * blocking sockets, no event loop. The sender is stop-and-wait: it sends one
 * block and waits until the receiver has acknowledged every byte so far
 * (a 4-byte count in network order) before it sends the next. The receiver
 * writes what it reads to a file and acknowledges after every read. */
#include "PlainPeers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

static int send_all(int fd, const char* bytes, size_t n) {
    while (n > 0) {
        const ssize_t sent = send(fd, bytes, n, MSG_NOSIGNAL);
        if (sent <= 0) return -1;
        bytes += sent;
        n -= (size_t)sent;
    }
    return 0;
}

int plain_listen(int* port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    struct sockaddr_in addr;
    memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (bind(fd, (struct sockaddr*)&addr, sizeof addr) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, (struct sockaddr*)&addr, &length) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

int plain_send(int listener, const char* path, size_t block) {
    FILE* file = fopen(path, "rb");
    if (!file) return -1;
    const int fd = accept(listener, NULL, NULL);
    if (fd < 0) {
        fclose(file);
        return -1;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char data[65536];
    if (block > sizeof data) block = sizeof data;
    uint32_t sent = 0;
    int result = 0;
    for (size_t n; (n = fread(data, 1, block, file)) > 0;) {
        if (send_all(fd, data, n) != 0) {
            result = -1;
            break;
        }
        sent += (uint32_t)n;
        /* Wait for the count of everything sent so far. */
        uint32_t acked = 0;
        unsigned char ack[4];
        size_t have = 0;
        while (acked != sent) {
            const ssize_t got = recv(fd, ack + have, sizeof ack - have, 0);
            if (got <= 0) {
                result = -1;
                break;
            }
            have += (size_t)got;
            if (have == sizeof ack) {
                acked = ((uint32_t)ack[0] << 24) | ((uint32_t)ack[1] << 16) | ((uint32_t)ack[2] << 8) | ack[3];
                have = 0;
            }
        }
        if (result != 0) break;
    }
    fclose(file);
    close(fd);
    return result;
}

int plain_receive(int port, uint32_t size, const char* path) {
    FILE* file = fopen(path, "wb");
    if (!file) return -1;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    struct sockaddr_in addr;
    memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons((uint16_t)port);
    if (fd < 0 || connect(fd, (struct sockaddr*)&addr, sizeof addr) != 0) {
        if (fd >= 0) close(fd);
        fclose(file);
        return -1;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char data[65536];
    uint32_t count = 0;
    int result = 0;
    while (count < size) {
        const ssize_t got = recv(fd, data, sizeof data, 0);
        if (got <= 0 || fwrite(data, 1, (size_t)got, file) != (size_t)got) {
            result = -1;
            break;
        }
        count += (uint32_t)got;
        const unsigned char ack[4] = {(unsigned char)(count >> 24), (unsigned char)(count >> 16),
                                      (unsigned char)(count >> 8), (unsigned char)count};
        if (send_all(fd, (const char*)ack, sizeof ack) != 0) {
            result = -1;
            break;
        }
    }
    if (fclose(file) != 0) result = -1;
    close(fd);
    return result;
}
