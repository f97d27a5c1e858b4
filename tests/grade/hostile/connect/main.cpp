// Connects to the port named in port.txt on 127.0.0.1 and says whether it could.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

int main() {
    int port = 0;
    std::ifstream("port.txt") >> port;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int connection = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::printf("connect to 127.0.0.1:%d: %s\n", port, std::strerror(errno));
        return 1;
    }
    std::printf("connected to 127.0.0.1:%d\n", port);
    return 0;
}
