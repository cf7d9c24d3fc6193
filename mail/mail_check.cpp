#include "mail/mail_check.h"

#include <new>
#include <utility>

#include "mail/check_result.h"
#include "mail/deletion_walk.h"
#include "mail/list_sizes.h"
#include "mail/top_reply_reader.h"
#include "net/line_socket.h"
#include "net/pop3_session.h"

namespace mail {

namespace {

// Raised inside the check with its error code and caught once at its top.
struct CheckFailure {
    int code;
};

[[noreturn]] void raise(int code) {
    throw CheckFailure{code};
}

bool refused(const char* reply) {
    return reply[0] == '-';
}

}  // namespace

MailCheck::MailCheck(net::Pop3Session& session, Settings& settings, CheckHost& host, std::function<void()> stopPoll)
    : session(session), settings(settings), host(host), stopPoll(std::move(stopPoll)) {
}

void MailCheck::prepare(const MailEntryList& mailList) {
    if (settings.headCount < 1) {
        settings.headCount = 2;
    }
    Plan next;
    next.previous = mailList;
    next.server = settings.server;
    next.port = settings.pop3Port;
    next.user = settings.user;
    next.pass = settings.pass;
    next.apop = settings.apop;
    next.headCount = settings.headCount;
    next.sslMode = settings.sslMode;
    next.trustedCert = settings.trustedCert;
    std::lock_guard<std::mutex> lock(planMutex);
    plan = std::move(next);
}

MailCheck::Plan MailCheck::takePlan() {
    std::lock_guard<std::mutex> lock(planMutex);
    // Taken, not copied: a later run that was not prepared must not act on these marks again.
    return std::exchange(plan, Plan{});
}

void MailCheck::run() {
    Plan current = takePlan();
    host.setMenuItemEnabled(kMenuStopCheck, true);
    host.setMenuItemEnabled(kMenuCheckNow, false);
    host.setMenuItemEnabled(kMenuSettings, false);
    host.showChecking();
    try {
        converse(current);
    } catch (const CheckFailure& failure) {
        fail(failure.code);
    } catch (const std::bad_alloc&) {
        fail(kErrOutOfMemory);
    }
}

void MailCheck::converse(const Plan& plan) {
    if (!session.create(net::kSockStream, 0)) {
        raise(kErrSocket);
    }
    stopPoll();
    openConnection(plan);
    stopPoll();
    logIn(plan);
    stopPoll();
    std::optional<net::StatResult> stat = session.stat();
    if (!stat) {
        raise(kErrStat);
    }
    const int count = stat->count;
    stopPoll();

    if (count == 0) {
        host.postResult(kCmdNoMail, 0);
    } else {
        MailEntryList fresh;
        for (int k = 1; k <= count; ++k) {
            fresh.push_back(readMessage(k, plan.headCount));
        }
        readSizes(fresh);
        deleteMarked(plan.previous, fresh);
        // The owner's list becomes this one when it handles the result posted right after.
        host.handOverList(fresh);
        if (fresh.empty()) {
            host.postResult(kCmdNoMail, 0);
        } else {
            host.postResult(kCmdMailWaiting, count);
        }
    }
    session.command("QUIT");
}

void MailCheck::openConnection(const Plan& plan) {
    if (plan.sslMode == kSslImplicit) {
        net::TlsResult tls;
        if (session.openTls(plan.server.c_str(), plan.port, plan.trustedCert, tls) == nullptr) {
            raise(kErrConnect);
        }
        requireTrusted(tls);
        return;
    }
    if (session.open(plan.server.c_str(), plan.port) == nullptr) {
        raise(kErrConnect);
    }
    if (plan.sslMode == kSslStls) {
        stopPoll();
        bool offered = false;
        net::TlsResult tls = session.upgradeWithStls(plan.server.c_str(), plan.trustedCert, offered);
        if (!offered) {
            raise(kErrStlsUnavailable);
        }
        requireTrusted(tls);
    }
}

// Anything but a trusted TLS session ends the check before a login line is sent; the session is closed by then.
void MailCheck::requireTrusted(const net::TlsResult& tls) {
    if (tls.status == net::TlsStatus::Untrusted) {
        host.noteUntrustedCertificate(UntrustedCertificate{tls.problem, tls.fingerprint});
        raise(kErrCertUntrusted);
    }
    if (tls.status != net::TlsStatus::Ok) {
        raise(kErrTls);
    }
}

void MailCheck::logIn(const Plan& plan) {
    if (plan.apop) {
        int result = session.apop(plan.user, plan.pass);
        if (result != 0) {
            raise(result);
        }
        return;
    }
    if (!session.sendUser(plan.user)) {
        raise(kErrUser);
    }
    stopPoll();
    if (!session.sendPass(plan.pass)) {
        raise(kErrPass);
    }
}

MailEntry MailCheck::readMessage(int messageNumber, int headCount) {
    // Asks for a few lines more than wanted, for the empty lines that do not count.
    long long lines = static_cast<long long>(headCount) + 7;
    std::string top = "TOP " + std::to_string(messageNumber) + " " + std::to_string(lines);
    if (refused(session.command(top.c_str()))) {
        raise(kErrTop);
    }
    stopPoll();
    TopReplyReader reader(headCount);
    std::string line;
    do {
        if (!session.readLine(line)) {
            raise(kErrTopRead);
        }
        stopPoll();
    } while (reader.feed(line));
    return reader.entry();
}

void MailCheck::readSizes(MailEntryList& fresh) {
    // Without a positive reply every size stays 0.
    if (session.command("LIST")[0] != '+') {
        return;
    }
    readListSizes(fresh, [this](std::string& line) { return session.readLine(line); });
}

void MailCheck::deleteMarked(const MailEntryList& previous, MailEntryList& fresh) {
    deleteMarkedMessages(previous, fresh, [this](int messageNumber) {
        std::string dele = "DELE " + std::to_string(messageNumber);
        return !refused(session.command(dele.c_str()));
    });
}

void MailCheck::fail(int errorCode) {
    host.clearStartedByTimer();
    host.showIdle();
    host.setStatusText(nullptr);
    // A stop asked for while the failing step was under way ends the check here, without a result.
    stopPoll();
    // A failed check leaves the owner's list empty.
    host.handOverList(MailEntryList{});
    host.postResult(kCmdCheckFailed, errorCode);
}

void MailCheck::finish() {
    session.close();
    if (settings.passFromPrompt) {
        settings.pass.clear();
        settings.passFromPrompt = false;
    }
    host.setMenuItemEnabled(kMenuStopCheck, false);
    host.setMenuItemEnabled(kMenuCheckNow, true);
    host.setMenuItemEnabled(kMenuSettings, true);
    host.clearCheckRunning();
}

}  // namespace mail
