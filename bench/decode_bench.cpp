// decodeHeaderText on a corpus of ISO-2022-JP encoded-word headers (subjects, senders with their address, long
// subjects split over two words) against glibc's iconv converting the same decoded text from ISO-2022-JP to CP932.
// Usage: decode_bench [rounds]
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "mail/header_decoder.h"

namespace {

// Sources are compiled to CP932: convert from that to ISO-2022-JP.
std::string convert(const char* to, const char* from, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPos = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &outPos, &outLeft);
    iconv(cd, nullptr, nullptr, &outPos, &outLeft);  // back to ASCII at the end
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string base64(const std::string& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        group |= i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0;
        group |= i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string word(const std::string& jis) {
    return "=?ISO-2022-JP?B?" + base64(jis) + "?=";
}

struct Sample {
    std::string header;   // as it stands in the mail
    std::string decoded;  // what its words stand for: ISO-2022-JP text, the peer's input
};

std::vector<Sample> corpus() {
    const char* const subjects[] = {"会議のお知らせ",
                                    "来週の打ち合わせの日程について",
                                    "【重要】パスワード変更のお願い",
                                    "写真を送ります",
                                    "Re: 見積書の件",
                                    "お疲れさまです",
                                    "新製品発表会のご案内",
                                    "ネコの写真",
                                    "本日の議事録",
                                    "月例報告書（十月分）",
                                    "忘年会の出欠確認",
                                    "サーバ保守作業のお知らせ"};
    const char* const names[] = {"山田太郎", "佐藤花子", "鈴木一郎", "田中美咲", "株式会社ネコ商事 営業部"};
    std::vector<Sample> samples;
    for (int round = 0; round < 200; ++round) {
        for (const char* subject : subjects) {
            const std::string jis = convert("ISO-2022-JP", "CP932", subject);
            samples.push_back({word(jis), jis});
        }
        for (const char* name : names) {
            const std::string jis = convert("ISO-2022-JP", "CP932", name);
            const std::string address = " <user" + std::to_string(round) + "@example.jp>";
            samples.push_back({word(jis) + address, jis + address});
        }
        // A long subject that the sender's mailer split into two words, each a JIS run of its own.
        const std::string first = convert("ISO-2022-JP", "CP932", "来週の打ち合わせの日程と場所");
        const std::string second = convert("ISO-2022-JP", "CP932", "についてのご相談");
        samples.push_back({word(first) + "\r\n " + word(second), first + second});
    }
    return samples;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    const std::vector<Sample> samples = corpus();
    std::size_t headerBytes = 0;
    std::size_t mismatches = 0;
    iconv_t cd = iconv_open("CP932", "ISO-2022-JP");
    std::vector<char> out(4096);
    auto peer = [&](const std::string& text) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* outPos = out.data();
        std::size_t outLeft = out.size();
        iconv(cd, &in, &inLeft, &outPos, &outLeft);
        return static_cast<std::size_t>(outPos - out.data());
    };
    for (const Sample& sample : samples) {
        headerBytes += sample.header.size();
        const std::size_t length = peer(sample.decoded);
        if (mail::decodeHeaderText(sample.header) != std::string(out.data(), length)) {
            ++mismatches;
        }
    }

    std::vector<double> ours, theirs;
    std::size_t sink = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (const Sample& sample : samples) {
            sink += mail::decodeHeaderText(sample.header).size();
        }
        ours.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        start = std::chrono::steady_clock::now();
        for (const Sample& sample : samples) {
            sink += peer(sample.decoded);
        }
        theirs.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    iconv_close(cd);
    const double a = median(ours), b = median(theirs);
    const double count = static_cast<double>(samples.size());
    std::printf("%zu headers (%zu bytes), results differing from iconv: %zu (checksum %zu)\n", samples.size(),
                headerBytes, mismatches, sink % 10);
    std::printf(
        "decodeHeaderText: %.0f headers/s (%.2f us each); iconv ISO-2022-JP to CP932: %.0f headers/s "
        "(%.2f us each); ratio Quorvane/iconv time %.2f\n",
        count / a, a / count * 1e6, count / b, b / count * 1e6, a / b);
    return 0;
}
