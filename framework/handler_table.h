#pragma once

// Per-class handler tables of the window framework and the records they dispatch. Plain C++: the table logic
// is the same whether the messages come from the window system or from a test.

#include <cstdint>
#include <map>

// The window system's notification header (NMHDR); only pointers to it pass through here.
struct tagNMHDR;

namespace framework {

// The message parameter and result types, as wide as WPARAM, LPARAM and LRESULT.
using MessageWParam = std::uintptr_t;
using MessageLParam = std::intptr_t;
using MessageResult = std::intptr_t;

// Keys of the three kinds of table: message number, command id (low word of wParam), notification code.
using MessageId = std::uint32_t;
using CommandId = std::uint16_t;
using NotifyCode = std::int32_t;

// One window message on its way through the tables; `result` is what the window procedure returns.
struct MessageRecord {
    MessageId msg = 0;
    MessageWParam wParam = 0;
    MessageLParam lParam = 0;
    MessageResult result = 0;
};

// One WM_NOTIFY on its way through a notification table: wParam is the control id, header points to the
// notification the lParam carried.
struct NotifyRecord {
    MessageResult result = 0;
    MessageWParam wParam = 0;
    tagNMHDR* header = nullptr;
};

// Member functions of Owner registered by key. A key without a handler goes to the fallback, if any;
// a table without an owner does nothing at all.
template <class Owner, class Key, class Record = MessageRecord>
class HandlerTable {
public:
    using Handler = void (Owner::*)(Record*);

    explicit HandlerTable(Owner* owner = nullptr, Handler fallback = nullptr) : owner(owner), fallback(fallback) {
    }

    // Registering a key again replaces its handler.
    void Set(Key key, Handler handler) {
        handlers[key] = handler;
    }

    void Dispatch(Key key, Record* record) const {
        if (owner == nullptr) {
            return;
        }
        auto found = handlers.find(key);
        if (found != handlers.end() && found->second != nullptr) {
            (owner->*(found->second))(record);
        } else if (fallback != nullptr) {
            (owner->*fallback)(record);
        }
    }

    Owner* owner;
    std::map<Key, Handler> handlers;
    Handler fallback;
};

template <class Owner>
using MessageTable = HandlerTable<Owner, MessageId, MessageRecord>;
template <class Owner>
using CommandTable = HandlerTable<Owner, CommandId, MessageRecord>;
template <class Owner>
using NotifyTable = HandlerTable<Owner, NotifyCode, NotifyRecord>;

// The body of a WM_COMMAND handler: every command answers 1, whether or not a handler takes it; the
// command's own handler may change that.
template <class Owner>
void ForwardCommand(const CommandTable<Owner>& commands, MessageRecord* record) {
    record->result = 1;
    commands.Dispatch(static_cast<CommandId>(record->wParam & 0xFFFF), record);
}

}  // namespace framework
