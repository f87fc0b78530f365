// winsock-floor [--buffer BYTES] URL OUTPUT
// The plainest download Winsock allows: one connection, one GET, a blocking recv into one buffer and a WriteFile
// of what came, until the server closes. No engine, no threads, no ranges. Run under Wine beside korvalen-get.exe,
// it shows what Wine's sockets and files cost any download at the least. Exits 0 when the body has the
// announced length, 1 otherwise, 2 for a usage error.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/handle.h"
#include "platform/url.h"

namespace {

struct SocketTraits {
    using Value = SOCKET;
    static constexpr Value kInvalid = INVALID_SOCKET;
    static void close(Value s) noexcept { closesocket(s); }
};
// HANDLE values are pointers, which cannot be constants: kept as integers.
struct FileTraits {
    using Value = std::intptr_t;
    static constexpr Value kInvalid = -1;  // INVALID_HANDLE_VALUE
    static void close(Value h) noexcept { CloseHandle(reinterpret_cast<HANDLE>(h)); }
};

std::string narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out.push_back(static_cast<char>(*text < 128 ? *text : '?'));
    return out;
}

int usage() {
    std::fputs("usage: winsock-floor [--buffer BYTES] URL OUTPUT\n", stderr);
    return 2;
}

int fail(const char* what) {
    std::fprintf(stderr, "winsock-floor: %s (%d)\n", what, WSAGetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::size_t buffer_size = 256 * 1024;
    std::wstring output;
    std::string url;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--help") return usage() - 2;
        if (arg == L"--buffer" && i + 1 < argc) {
            buffer_size = std::wcstoul(argv[++i], nullptr, 10);
            if (buffer_size == 0) return usage();
        } else if (url.empty()) {
            url = narrow(argv[i]);
        } else if (output.empty()) {
            output = arg;
        } else {
            return usage();
        }
    }
    const kv::UrlSplit split = kv::split_url(url);
    if (!split.ok() || output.empty()) return usage();
    WSADATA wsa{};
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return fail("WSAStartup");

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(split.parts.host.c_str(), std::to_string(split.parts.port).c_str(), &hints, &found) != 0) {
        return fail("getaddrinfo");
    }
    kv::UniqueHandle<SocketTraits> sock(socket(found->ai_family, found->ai_socktype, found->ai_protocol));
    const int connected = sock ? connect(sock.get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) : -1;
    freeaddrinfo(found);
    if (connected != 0) return fail("connect");
    const std::string request = "GET " + split.parts.path + " HTTP/1.1\r\nHost: " + kv::host_header(split.parts) +
                                "\r\nConnection: close\r\n\r\n";
    if (send(sock.get(), request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size())) {
        return fail("send");
    }
    kv::UniqueHandle<FileTraits> file(reinterpret_cast<std::intptr_t>(
        CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) return fail("CreateFileW");

    std::vector<char> buffer(buffer_size);
    std::string head;
    long long length = -1;
    long long written = 0;
    for (;;) {
        const int n = recv(sock.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
        if (n < 0) return fail("recv");
        if (n == 0) break;
        const char* body = buffer.data();
        DWORD size = static_cast<DWORD>(n);
        if (length < 0) {  // still in the head
            head.append(buffer.data(), static_cast<std::size_t>(n));
            const auto end = head.find("\r\n\r\n");
            if (end == std::string::npos) continue;
            const auto at = head.find("Content-Length: ");
            length = at == std::string::npos || at > end ? 0 : std::atoll(head.c_str() + at + 16);
            body = buffer.data() + (n - static_cast<int>(head.size() - end - 4));
            size = static_cast<DWORD>(head.size() - end - 4);
        }
        DWORD done = 0;
        const HANDLE out = reinterpret_cast<HANDLE>(file.get());
        if (size > 0 && (!WriteFile(out, body, size, &done, nullptr) || done != size)) return fail("WriteFile");
        written += size;
    }
    if (length < 0 || written != length) {
        std::fprintf(stderr, "winsock-floor: %lld of %lld bytes\n", written, length);
        return 1;
    }
    std::printf("winsock-floor: %lld bytes\n", written);
    return 0;
}
