#include "bench/check_runner.h"

#include <cstdlib>

#include "settings/settings_store.h"

namespace bench {

CheckRunner::CheckRunner(settings::Settings settings)
    : settings(std::move(settings)), check(session, host, [this] {
          worker::ThreadMessage message;
          PollStop(message);
      }) {
}

CheckRunner::~CheckRunner() {
    Stop(0, true);
}

std::pair<int, long> CheckRunner::runOnce() {
    host.last = {0, 0};
    host.listed = 0;
    check.prepare({}, settings::takeCheckSettings(settings));
    if (Start()) {
        Wait(worker::kInfinite);
    }
    return host.last;
}

void CheckRunner::Run() {
    check.run();
}

void CheckRunner::OnThreadEnd() {
    check.finish();
}

bool peerSettings(settings::Settings& settings) {
    const char* host = std::getenv("QV_POP3_HOST");
    const char* port = std::getenv("QV_POP3_PORT");
    const char* user = std::getenv("QV_POP3_USER");
    const char* pass = std::getenv("QV_POP3_PASS");
    if (host == nullptr || port == nullptr || user == nullptr || pass == nullptr) {
        return false;
    }
    settings.server = host;
    settings.pop3Port = std::atoi(port);
    settings.user = user;
    settings.pass = pass;
    settings.headCount = 2;
    return true;
}

}  // namespace bench
