// kv-fault-server DIR: the loopback test server with a fixed set of healthy and faulty files, for running
// korvalen-get (native or under Wine) against them from a script. Writes DIR/port once it listens, and for each
// file DIR/<name>.body with the bytes a correct download must give. Runs until its standard input closes.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "support/lib/http_test_server.h"

// GCC warns about members left out of designated initializers even though they have defaults (GCC bug 96868).
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using kv::test::pattern_body;
using kv::test::Resource;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kv-fault-server DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    kv::test::HttpTestServer server;
    if (!server.ok()) return 1;
    // `expected` is what a download of the name must give, when it differs from the resource's body.
    auto add = [&](const std::string& name, Resource r, const std::string* expected = nullptr) {
        std::ofstream(dir + "/" + name + ".body", std::ios::binary) << (expected ? *expected : r.body);
        server.add("/" + name, std::move(r));
    };
    const std::string plain = pattern_body(3 * 1024 * 1024 + 7, 1);
    add("plain", Resource{.body = plain});
    add("drops", Resource{.body = pattern_body(1500000, 2), .drop_after = 100000, .drops = 6});
    add("no-ranges", Resource{.body = pattern_body(1000000, 3), .ranges = false, .drop_after = 300000, .drops = 1});
    add("shifted-ranges", Resource{.body = pattern_body(1000000, 4), .shift_range = 1000});
    add("short-parts", Resource{.body = pattern_body(1000000, 5), .range_cap = 100000});
    add("empty", Resource{.body = ""});
    add("redirect", Resource{.status = 302, .location = "/plain#part"}, &plain);
    add("missing", Resource{.status = 404});
    add("no-length", Resource{.body = pattern_body(5000, 6), .send_length = false});
    add("truncated", Resource{.body = pattern_body(50000, 7), .ranges = false, .extra_length = 100});
    add("changed", Resource{.body = pattern_body(600000, 8), .drop_after = 50000, .drops = 1, .change_after = 1,
                            .changed_body = pattern_body(700000, 9)});
    std::ofstream(dir + "/port") << server.port() << "\n";
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
