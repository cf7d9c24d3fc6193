// Md5Context against OpenSSL's MD5 on the same data: many short inputs (APOP digests are a timestamp and a
// password) and long buffers. Usage: md5_bench [rounds]
#include <openssl/md5.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "net/md5.h"

// The MD5_* calls are the counterpart of Md5Context's init/update/final; OpenSSL 3 marks them deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work>
double seconds(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
    std::vector<unsigned char> data(8 << 20);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    }
    struct Case {
        const char* name;
        std::size_t length;  // bytes per digest
        std::size_t count;   // digests per round
    };
    const Case cases[] = {{"64-byte inputs", 64, 200000}, {"1 KiB inputs", 1024, 20000}, {"8 MiB buffer", 8 << 20, 3}};
    for (const Case& c : cases) {
        unsigned char ours[16], theirs[16];
        std::vector<double> a, b;
        for (int round = 0; round < rounds; ++round) {
            a.push_back(seconds([&] {
                for (std::size_t i = 0; i < c.count; ++i) {
                    net::Md5Context context;
                    context.init();
                    context.update(data.data() + (i * 64) % (data.size() - c.length + 1), c.length);
                    context.final(ours);
                }
            }));
            b.push_back(seconds([&] {
                for (std::size_t i = 0; i < c.count; ++i) {
                    MD5_CTX context;
                    MD5_Init(&context);
                    MD5_Update(&context, data.data() + (i * 64) % (data.size() - c.length + 1), c.length);
                    MD5_Final(theirs, &context);
                }
            }));
        }
        const double bytes = static_cast<double>(c.length) * static_cast<double>(c.count);
        std::printf(
            "%-15s Md5Context %7.1f MB/s, OpenSSL MD5 %7.1f MB/s, same digest: %s; ratio Quorvane/OpenSSL "
            "time %.2f\n",
            c.name, bytes / median(a) / 1e6, bytes / median(b) / 1e6, std::memcmp(ours, theirs, 16) == 0 ? "yes" : "NO",
            median(a) / median(b));
    }
    return 0;
}
