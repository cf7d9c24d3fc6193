// A loopback relay that holds each direction's bytes for a set delay before passing them on, so that a local POP3
// server answers as one behind a slow network would (10 ms each way by default: 20 ms per round trip). Prints the
// port it listens on, then relays every connection (each on its own threads) until it is killed.
// Usage: latency_proxy <server port> [delay ms]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int connectTo(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void noDelay(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// One direction: a reader stamps each chunk with the time it may leave; a writer sends it then, in order.
class DelayedPipe {
public:
    DelayedPipe(int from, int to, std::chrono::microseconds delay) : from(from), to(to), delay(delay) {
    }

    void run() {
        std::thread writer([this] { write(); });
        char buffer[65536];
        for (;;) {
            const ssize_t size = recv(from, buffer, sizeof buffer, 0);
            std::lock_guard<std::mutex> lock(mutex);
            if (size <= 0) {
                ended = true;
                changed.notify_one();
                break;
            }
            chunks.push_back({Clock::now() + delay, std::string(buffer, static_cast<std::size_t>(size))});
            changed.notify_one();
        }
        writer.join();
        shutdown(to, SHUT_WR);
    }

private:
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
    };

    void write() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return ended || !chunks.empty(); });
            if (chunks.empty()) {
                return;
            }
            Chunk chunk = std::move(chunks.front());
            chunks.pop_front();
            lock.unlock();
            std::this_thread::sleep_until(chunk.due);
            for (std::size_t at = 0; at < chunk.bytes.size();) {
                const ssize_t sent = send(to, chunk.bytes.data() + at, chunk.bytes.size() - at, MSG_NOSIGNAL);
                if (sent <= 0) {
                    break;
                }
                at += static_cast<std::size_t>(sent);
            }
            lock.lock();
        }
    }

    const int from, to;
    const std::chrono::microseconds delay;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Chunk> chunks;
    bool ended = false;
};

void relay(int client, int serverPort, std::chrono::microseconds delay) {
    const int server = connectTo(serverPort);
    if (server >= 0) {
        noDelay(client);
        noDelay(server);
        DelayedPipe up(client, server, delay), down(server, client, delay);
        std::thread upThread([&] { up.run(); });
        down.run();
        upThread.join();
        close(server);
    }
    close(client);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: latency_proxy <server port> [delay ms]\n");
        return 2;
    }
    const int serverPort = std::atoi(argv[1]);
    const auto delay = std::chrono::microseconds(static_cast<long>((argc > 2 ? std::atof(argv[2]) : 10.0) * 1000));
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("latency_proxy");
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int client = accept(listener, nullptr, nullptr);
        if (client >= 0) {
            std::thread([client, serverPort, delay] { relay(client, serverPort, delay); }).detach();
        }
    }
}
