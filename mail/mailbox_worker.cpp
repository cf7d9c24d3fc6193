#include "mail/mailbox_worker.h"

#include <utility>

namespace mail {

MailboxWorker::MailboxWorker(CheckHost& host)
    : session(net::kAfInet), check(session, host, [this] {
          worker::ThreadMessage message;
          PollStop(message);
      }) {
}

MailboxWorker::~MailboxWorker() {
    session.close();
    Stop(0, true);
}

void MailboxWorker::prepare(const MailEntryList& previous, CheckSettings settings) {
    check.prepare(previous, std::move(settings));
}

void MailboxWorker::stop() {
    PostToThread(worker::kThreadQuit, 0, 0);
    session.close();
}

void MailboxWorker::Run() {
    check.run();
}

void MailboxWorker::OnThreadEnd() {
    check.finish();
}

}  // namespace mail
