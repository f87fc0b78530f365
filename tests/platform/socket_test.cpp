// The socket layer's block receives over loopback: what arrives in many small sends comes out whole and in
// order, each receive within its block size, and the peer's close is told apart from data.
#include "platform/socket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "support/lib/http_test_server.h"

namespace kv::net {
namespace {

struct Pair {
    TcpListener listener;
    TcpSocket client;
    TcpSocket server;
    std::atomic<bool> stop{false};

    Pair() {
        EXPECT_EQ(listener.listen_loopback(), Error::None);
        std::thread accepting([&] { EXPECT_EQ(listener.accept(server, 5000), Error::None); });
        EXPECT_EQ(client.connect("127.0.0.1", listener.port(), 5000, 5000, 5000, stop), Error::None);
        accepting.join();
    }
};

TEST(SocketBlocks, ManySmallSendsArriveWholeInOrderWithinTheBlockSize) {
    Pair p;
    const std::string sent = test::pattern_body(600000);
    // Small sends with pauses now and then: receives often come back short while more is on its way, which
    // is when a batch of receives has to close up the gaps between them.
    std::thread sender([&] {
        std::size_t at = 0;
        for (int i = 0; at < sent.size(); ++i) {
            const std::size_t n = std::min<std::size_t>(700 + (i * 37) % 3000, sent.size() - at);
            ASSERT_TRUE(p.server.send_all(sent.data() + at, n).ok());
            at += n;
            if (i % 16 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        p.server.close();
    });
    constexpr std::size_t kBlock = 1000;
    std::string got;
    std::vector<char> buffer(8 * kBlock + 123);
    std::uint32_t sizes[16];
    bool closed = false;
    // Bounded: every call takes at least one byte or ends the loop.
    for (std::size_t calls = 0; calls <= sent.size() && !closed; ++calls) {
        std::size_t count = 0;
        const IoResult r = p.client.receive_blocks(buffer.data(), buffer.size(), kBlock, sizes, 16, count);
        if (r.error == Error::Closed) {
            EXPECT_EQ(count, 0u);
            closed = true;
            break;
        }
        ASSERT_TRUE(r.ok()) << error_text(r.error);
        ASSERT_GE(count, 1u);
        EXPECT_EQ(std::accumulate(sizes, sizes + count, std::size_t{0}), r.bytes);
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_GE(sizes[i], 1u);
            EXPECT_LE(sizes[i], kBlock);
        }
        got.append(buffer.data(), r.bytes);
    }
    sender.join();
    EXPECT_TRUE(closed);
    ASSERT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent) << "bytes out of place";
}

TEST(SocketBlocks, StayWithinTheRoomAndCountGiven) {
    Pair p;
    const std::string sent(5000, 'x');
    ASSERT_TRUE(p.server.send_all(sent.data(), sent.size()).ok());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // all of it waiting on the client's side
    char buffer[4096];
    std::uint32_t sizes[2];
    std::size_t count = 0;
    IoResult r = p.client.receive_blocks(buffer, 2500, 1000, sizes, 2, count);
    ASSERT_TRUE(r.ok());
    EXPECT_LE(r.bytes, 2000u) << "no more receives than `sizes` has room for";
    EXPECT_LE(count, 2u);
    r = p.client.receive_blocks(buffer, 300, 1000, sizes, 2, count);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.bytes, 300u) << "never more than the room given";
    EXPECT_EQ(count, 1u);
}

TEST(SocketBlocks, TimeOutWhenNothingComes) {
    TcpListener listener;
    ASSERT_EQ(listener.listen_loopback(), Error::None);
    TcpSocket server;
    std::thread accepting([&] { EXPECT_EQ(listener.accept(server, 5000), Error::None); });
    TcpSocket client;
    std::atomic<bool> stop{false};
    ASSERT_EQ(client.connect("127.0.0.1", listener.port(), 5000, 5000, 200, stop), Error::None);
    accepting.join();
    char buffer[100];
    std::uint32_t sizes[4];
    std::size_t count = 9;
    const IoResult r = client.receive_blocks(buffer, sizeof buffer, 10, sizes, 4, count);
    EXPECT_EQ(r.error, Error::TimedOut);
    EXPECT_EQ(count, 0u);
}

}  // namespace
}  // namespace kv::net
