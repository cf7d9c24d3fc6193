// Decoding of a mixed corpus (UTF-8 and ISO-2022-JP encoded words, raw 8-bit headers, quoted-printable and Base64
// bodies, multipart mail; written by email_decode.py) to Shift_JIS, against two peers in the same run:
// glibc's iconv doing only the charset step of the same text (already decoded from Base64/QP, "〓" written for
// what CP932 lacks), and Python's email package doing the whole job.
// Usage: decode_bench SCRIPT [rounds]   (SCRIPT is bench/email_decode.py)
#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mime/body_preview.h"
#include "mime/header_decoder.h"

namespace {

struct Record {
    bool header;
    std::vector<std::string> fields;
    std::vector<std::string> lines;  // a body's lines, as the TOP reply reader keeps them
};

std::vector<Record> load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<Record> records;
    std::size_t at = 0;
    while (at < data.size()) {
        Record record;
        record.header = data[at++] == 'H';
        for (int i = 0; i < (record.header ? 3 : 5); ++i) {
            const std::size_t newline = data.find('\n', at);
            const std::size_t length = std::strtoul(data.c_str() + at, nullptr, 10);
            record.fields.push_back(data.substr(newline + 1, length));
            at = newline + 1 + length;
        }
        if (!record.header) {
            const std::string& body = record.fields[2];
            for (std::size_t pos = 0; pos < body.size();) {
                std::size_t end = body.find('\n', pos);
                end = end == std::string::npos ? body.size() : end;
                record.lines.push_back(body.substr(pos, end - pos));
                pos = end + 1;
            }
        }
        records.push_back(std::move(record));
    }
    return records;
}

// iconv's charset step: the whole text at once into a buffer, "〓" and a skipped character where CP932 has none.
// Each record's converter is opened before the timing, so that only the conversion is measured.
class IconvPeer {
public:
    explicit IconvPeer(const std::vector<Record>& records) {
        for (const Record& record : records) {
            const std::string& charset = record.fields[record.header ? 1 : 3];
            iconv_t& cd = converters[charset];
            if (cd == iconv_t{}) {
                cd = iconv_open("CP932", charset.c_str());
            }
            byRecord.push_back(cd);
        }
    }
    std::size_t convert(std::size_t index, const std::string& text) {
        iconv_t cd = byRecord[index];
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(2 * text.size() + 16);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* outPos = out.data();
        std::size_t outLeft = out.size();
        while (inLeft > 0 && iconv(cd, &in, &inLeft, &outPos, &outLeft) == static_cast<std::size_t>(-1)) {
            if (errno != EILSEQ) {
                break;
            }
            const auto lead = static_cast<unsigned char>(*in);
            std::size_t skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = std::min(skip, inLeft);
            in += skip;
            inLeft -= skip;
            *outPos++ = '\x81';
            *outPos++ = '\xAC';
            outLeft -= 2;
        }
        iconv(cd, nullptr, nullptr, &outPos, &outLeft);
        return static_cast<std::size_t>(outPos - out.data());
    }
    ~IconvPeer() {
        for (auto& entry : converters) {
            iconv_close(entry.second);
        }
    }

private:
    std::map<std::string, iconv_t> converters;
    std::vector<iconv_t> byRecord;
    std::vector<char> out;
};

// Like the iconv peer, each side writes into room it keeps from text to text.
std::size_t ours(const Record& record) {
    thread_local std::string decoded;
    if (record.header) {
        mime::decodeHeaderText(record.fields[0], decoded);
        return decoded.size();
    }
    // Every line of the body wanted: the whole part is decoded.
    mime::previewBody(record.fields[0], record.fields[1], record.lines, 1000, decoded);
    return decoded.size();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work>
double timed(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: decode_bench bench/email_decode.py [rounds]\n");
        return 2;
    }
    const std::string script = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
    const std::string corpusPath = "/tmp/quorvane-decode-corpus.bin";
    if (std::system(("python3 " + script + " make " + corpusPath).c_str()) != 0) {
        return 1;
    }
    const std::vector<Record> records = load(corpusPath);
    std::size_t headers = 0, bytes = 0;
    for (const Record& record : records) {
        headers += record.header ? 1 : 0;
        bytes += record.header ? record.fields[0].size() : record.fields[2].size();
    }

    // Many passes per timing, so that each one lasts long enough to measure. Headers and bodies are also timed
    // apart, to show where the time goes.
    const int passes = 200;
    IconvPeer iconvPeer(records);
    std::size_t sink = 0;
    const auto measure = [&](int kinds) {  // 1 headers, 2 bodies, 3 both
        std::vector<double> ourTimes, iconvTimes;
        const auto wanted = [kinds](const Record& record) { return (kinds & (record.header ? 1 : 2)) != 0; };
        for (int round = 0; round < rounds; ++round) {
            ourTimes.push_back(timed([&] {
                for (int pass = 0; pass < passes; ++pass) {
                    for (const Record& record : records) {
                        sink += wanted(record) ? ours(record) : 0;
                    }
                }
            }));
            iconvTimes.push_back(timed([&] {
                for (int pass = 0; pass < passes; ++pass) {
                    for (std::size_t i = 0; i < records.size(); ++i) {
                        const Record& record = records[i];
                        sink += wanted(record) ? iconvPeer.convert(i, record.fields[record.header ? 2 : 4]) : 0;
                    }
                }
            }));
        }
        return std::make_pair(median(ourTimes) / passes, median(iconvTimes) / passes);
    };
    const auto [a, b] = measure(3);
    const auto [headerOurs, headerIconv] = measure(1);
    const auto [bodyOurs, bodyIconv] = measure(2);

    double python = 0;
    const std::string command = "python3 " + script + " time " + corpusPath + " " + std::to_string(rounds);
    if (FILE* pipe = popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf", &python) != 1) {
            python = 0;
        }
        pclose(pipe);
    }

    std::printf("%zu texts (%zu headers, %zu bodies, %zu bytes), checksum %zu\n", records.size(), headers,
                records.size() - headers, bytes, sink % 10);
    std::printf("Quorvane full decoding: %.1f us per pass; iconv charset step only: %.1f us; Python email: %.1f us\n",
                a * 1e6, b * 1e6, python * 1e6);
    std::printf("headers alone: %.1f us against %.1f us (%.2f); bodies alone: %.1f us against %.1f us (%.2f)\n",
                headerOurs * 1e6, headerIconv * 1e6, headerOurs / headerIconv, bodyOurs * 1e6, bodyIconv * 1e6,
                bodyOurs / bodyIconv);
    std::printf("ratio Quorvane/iconv time %.2f; Python/Quorvane time %.1f\n", a / b, python / a);
    return 0;
}
