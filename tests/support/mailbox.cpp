#include "tests/support/mailbox.h"

#include "tests/support/test_env.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testenv {

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Maildir file names begin with the delivery time; Dovecot assigns message numbers in that order.
std::string baseName(const fs::path& path) {
    std::string name = path.filename().string();
    return name.substr(0, name.find(':'));
}

std::vector<fs::path> messageFiles(const std::string& maildir) {
    std::vector<fs::path> files;
    for (const char* sub : {"new", "cur"}) {
        fs::path dir = fs::path(maildir) / sub;
        if (!fs::exists(dir)) {
            continue;
        }
        for (const auto& item : fs::directory_iterator(dir)) {
            if (item.is_regular_file()) {
                files.push_back(item.path());
            }
        }
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return baseName(a) < baseName(b); });
    return files;
}

}  // namespace

Mailbox::Mailbox(const Pop3Peer& peer) : maildir(peer.maildir), samplesDir(peer.samplesDir) {
    // New files must sort after the ones already there, whoever delivered those.
    for (const auto& file : messageFiles(maildir)) {
        nextStamp = std::max(nextStamp, static_cast<unsigned long>(std::atol(baseName(file).c_str())) + 1);
    }
}

void Mailbox::reset(const std::vector<std::string>& texts) {
    for (const auto& file : messageFiles(maildir)) {
        fs::remove(file);
    }
    for (const auto& text : texts) {
        append(text);
    }
}

void Mailbox::append(const std::string& message) {
    // Written under tmp/ and renamed into new/, as a delivery agent does.
    char name[64];
    std::snprintf(name, sizeof name, "%010lu.M1P1.quorvane-test", nextStamp);
    ++nextStamp;
    fs::path tmp = fs::path(maildir) / "tmp" / name;
    {
        std::ofstream out(tmp, std::ios::binary);
        out << message;
        if (!out) {
            throw std::runtime_error("cannot write " + tmp.string());
        }
    }
    fs::permissions(tmp, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    fs::rename(tmp, fs::path(maildir) / "new" / name);
}

std::vector<std::string> Mailbox::messages() const {
    std::vector<std::string> texts;
    for (const auto& file : messageFiles(maildir)) {
        texts.push_back(readFile(file));
    }
    return texts;
}

std::vector<std::pair<std::string, std::string>> Mailbox::samples() const {
    std::vector<std::pair<std::string, std::string>> all;
    for (const auto& item : fs::directory_iterator(samplesDir)) {
        if (item.path().extension() == ".eml") {
            all.emplace_back(item.path().stem().string(), readFile(item.path()));
        }
    }
    std::sort(all.begin(), all.end());
    return all;
}

std::string Mailbox::sample(const std::string& name) const {
    return readFile(fs::path(samplesDir) / (name + ".eml"));
}

}  // namespace testenv
