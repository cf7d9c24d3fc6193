#include "mail/mail_check.h"

#include <climits>
#include <new>
#include <utility>

#include "mail/check_result.h"
#include "mail/deletion_walk.h"
#include "mail/list_sizes.h"
#include "mail/top_reply_reader.h"
#include "net/line_socket.h"
#include "net/pop3_session.h"
#include "net/wipe.h"

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

int timeoutMilliseconds(int seconds) {
    if (seconds <= 0) {
        return net::kNoTimeLimit;
    }
    return seconds >= INT_MAX / 1000 ? INT_MAX : seconds * 1000;
}

// A user name or password that would end its command line early is never sent: the login it belongs
// to counts as refused before the server is even contacted.
void refuseUnsafeLogin(const std::string& user, const std::string& pass, bool apop) {
    if (apop && !(net::isSafeCommandValue(user) && net::isSafeCommandValue(pass))) {
        raise(kErrApopRefused);
    }
    if (!net::isSafeCommandValue(user)) {
        raise(kErrUser);
    }
    if (!net::isSafeCommandValue(pass)) {
        raise(kErrPass);
    }
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
    next.timeoutSec = settings.timeoutSec;
    // A password typed for this check serves it alone: from here on only the check's own copy holds it,
    // so the worker never writes the settings that this thread owns.
    if (settings.passFromPrompt) {
        net::wipeString(settings.pass);
        settings.passFromPrompt = false;
    }
    std::lock_guard<std::mutex> lock(planMutex);
    net::wipeString(plan.pass);
    plan = next;
    net::wipeString(next.pass);
}

MailCheck::Plan MailCheck::takePlan() {
    std::lock_guard<std::mutex> lock(planMutex);
    // Taken, not left: a later run that was not prepared must not act on these marks again.
    Plan taken = plan;
    net::wipeString(plan.pass);
    plan = Plan{};
    return taken;
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
    net::wipeString(current.pass);
}

void MailCheck::raiseStep(int code) {
    // Whatever step it was, a server that stopped answering is what the user needs to hear about.
    raise(session.timedOut() ? kErrTimeout : code);
}

void MailCheck::converse(Plan& plan) {
    refuseUnsafeLogin(plan.user, plan.pass, plan.apop);
    // Clears the time-out of an earlier check, so only from here on does raiseStep look at it.
    if (!session.create(net::kSockStream, 0)) {
        raise(kErrSocket);
    }
    session.setTimeout(timeoutMilliseconds(plan.timeoutSec));
    stopPoll();
    if (session.open(plan.server.c_str(), plan.port) == nullptr) {
        raiseStep(kErrConnect);
    }
    stopPoll();
    logIn(plan);
    net::wipeString(plan.pass);
    stopPoll();
    std::optional<net::StatResult> stat = session.stat();
    if (!stat) {
        raiseStep(kErrStat);
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
        if (!deleteMarked(plan.previous, fresh)) {
            host.reportDeletionRefused();
        }
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

void MailCheck::logIn(const Plan& plan) {
    if (plan.apop) {
        int result = session.apop(plan.user, plan.pass);
        if (result != 0) {
            raiseStep(result);
        }
        return;
    }
    if (!session.sendUser(plan.user)) {
        raiseStep(kErrUser);
    }
    stopPoll();
    if (!session.sendPass(plan.pass)) {
        raiseStep(kErrPass);
    }
}

MailEntry MailCheck::readMessage(int messageNumber, int headCount) {
    // Asks for a few lines more than wanted, for the empty lines that do not count.
    const long long lines = static_cast<long long>(headCount) + 7;
    TopReplyReader reader = readTop(messageNumber, lines, headCount);
    // A multipart mail whose first text part lies beyond those lines (an attachment first, a long preamble)
    // is asked for once more, with a bounded count.
    if (reader.wantsMoreLines(lines)) {
        reader = readTop(messageNumber, lines + kMorePreviewLines, headCount);
    }
    return reader.entry();
}

TopReplyReader MailCheck::readTop(int messageNumber, long long lines, int headCount) {
    std::string top = "TOP " + std::to_string(messageNumber) + " " + std::to_string(lines);
    if (refused(session.command(top.c_str()))) {
        raiseStep(kErrTop);
    }
    stopPoll();
    TopReplyReader reader(headCount);
    std::string line;
    do {
        if (!session.readLine(line)) {
            raiseStep(kErrTopRead);
        }
        stopPoll();
    } while (reader.feed(line));
    return reader;
}

void MailCheck::readSizes(MailEntryList& fresh) {
    // Without a positive reply every size stays 0.
    if (session.command("LIST")[0] != '+') {
        return;
    }
    readListSizes(fresh, [this](std::string& line) { return session.readLine(line); });
}

bool MailCheck::deleteMarked(const MailEntryList& previous, MailEntryList& fresh) {
    return deleteMarkedMessages(previous, fresh, [this](int messageNumber) {
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
    host.setMenuItemEnabled(kMenuStopCheck, false);
    host.setMenuItemEnabled(kMenuCheckNow, true);
    host.setMenuItemEnabled(kMenuSettings, true);
    host.clearCheckRunning();
}

}  // namespace mail
