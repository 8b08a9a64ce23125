// The yardstick for the metrics endpoint: Windows Sockets linked directly, a blocking
// accept loop that reads each request's head and answers it with a fixed body of the
// given size, then closes. A connection that sends "QUIT" ends it.
//
//   bench_http_responder_minimal PORT BODY_BYTES
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 1;
    }
    SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<u_short>(std::atoi(argv[1])));
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (server == INVALID_SOCKET || bind(server, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || listen(server, 64) != 0) {
        return 1;
    }
    const std::string body(static_cast<std::size_t>(std::atoi(argv[2])), 'x');
    char head[256];
    std::snprintf(head, sizeof head,
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
        "Content-Length: %zu\r\nConnection: close\r\n\r\n", body.size());
    const std::string answer = head + body;
    for (;;) {
        SOCKET client = accept(server, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            continue;
        }
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos && request.compare(0, 4, "QUIT") != 0) {
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        if (request.compare(0, 4, "QUIT") == 0) {
            closesocket(client);
            break;
        }
        send(client, answer.data(), static_cast<int>(answer.size()), 0);
        closesocket(client);
    }
    closesocket(server);
    WSACleanup();
    return 0;
}
