#include "framework/handler_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using framework::CommandTable;
using framework::MessageRecord;
using framework::MessageTable;
using framework::NotifyRecord;
using framework::NotifyTable;

// Records which of its handlers ran, in order.
struct Recorder {
    std::vector<std::string> calls;

    void onPaint(MessageRecord* record) {
        calls.push_back("paint");
        record->result = 15;
    }
    void onSize(MessageRecord* record) {
        calls.push_back("size");
        record->result = 5;
    }
    void onDefault(MessageRecord* record) {
        calls.push_back("default:" + std::to_string(record->msg));
        record->result = -7;
    }
    void onOk(MessageRecord*) {
        calls.push_back("ok");
    }
    void onBrowse(MessageRecord* record) {
        calls.push_back("browse");
        record->result = 0;
    }
    void onItemChanged(NotifyRecord* record) {
        calls.push_back("item changed");
        record->result = record->result + 100;
    }
};

TEST(HandlerTableTest, DispatchesByKeyThenFallsBack) {
    Recorder recorder;
    MessageTable<Recorder> table(&recorder, &Recorder::onDefault);
    table.Set(15, &Recorder::onPaint);
    table.Set(5, &Recorder::onSize);
    table.Set(99, nullptr);

    struct Case {
        framework::MessageId msg;
        const char* call;
        framework::MessageResult result;
    };
    const Case cases[] = {
        {15, "paint", 15},
        {5, "size", 5},
        {16, "default:16", -7},  // no handler: the fallback
        {99, "default:99", -7},  // a null handler counts as none
    };
    for (const Case& c : cases) {
        recorder.calls.clear();
        MessageRecord record{c.msg, 0, 0, 0};
        table.Dispatch(c.msg, &record);
        EXPECT_EQ(recorder.calls, std::vector<std::string>{c.call}) << c.msg;
        EXPECT_EQ(record.result, c.result) << c.msg;
    }
}

TEST(HandlerTableTest, WithoutFallbackAnUnknownKeyLeavesTheResult) {
    Recorder recorder;
    MessageTable<Recorder> table(&recorder);
    table.Set(15, &Recorder::onPaint);
    MessageRecord record{16, 0, 0, 42};
    table.Dispatch(16, &record);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(record.result, 42);
}

TEST(HandlerTableTest, WithoutOwnerNothingRuns) {
    MessageTable<Recorder> table(nullptr, &Recorder::onDefault);
    table.Set(15, &Recorder::onPaint);
    MessageRecord record{15, 0, 0, 3};
    table.Dispatch(15, &record);  // would crash on a null owner if anything ran
    table.Dispatch(16, &record);
    EXPECT_EQ(record.result, 3);
}

TEST(HandlerTableTest, RegisteringAKeyAgainKeepsTheLastHandler) {
    Recorder recorder;
    MessageTable<Recorder> table(&recorder);
    table.Set(15, &Recorder::onPaint);
    table.Set(15, &Recorder::onSize);
    MessageRecord record{15, 0, 0, 0};
    table.Dispatch(15, &record);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"size"});
    EXPECT_EQ(table.handlers.size(), 1u);
}

TEST(HandlerTableTest, NotificationCodesAreSignedKeys) {
    Recorder recorder;
    NotifyTable<Recorder> table(&recorder);
    table.Set(-101, &Recorder::onItemChanged);
    NotifyRecord record{1, 10, nullptr};
    table.Dispatch(-101, &record);
    table.Dispatch(101, &record);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"item changed"});
    EXPECT_EQ(record.result, 101);
}

TEST(ForwardCommandTest, CommandsAnswerOneAndGoByTheLowWord) {
    Recorder recorder;
    CommandTable<Recorder> commands(&recorder);
    commands.Set(1, &Recorder::onOk);
    commands.Set(1008, &Recorder::onBrowse);

    struct Case {
        framework::MessageWParam wParam;
        const char* call;  // null: no handler runs
        framework::MessageResult result;
    };
    const Case cases[] = {
        {1, "ok", 1},
        {0x00010001, "ok", 1},  // notification code 1 in the high word: still command 1
        {1008, "browse", 0},    // the handler's own result wins
        {40001, nullptr, 1},    // a command without a handler answers 1 all the same
    };
    for (const Case& c : cases) {
        recorder.calls.clear();
        MessageRecord record{273, c.wParam, 0, -5};
        framework::ForwardCommand(commands, &record);
        std::vector<std::string> expected;
        if (c.call != nullptr) {
            expected.push_back(c.call);
        }
        EXPECT_EQ(recorder.calls, expected) << c.wParam;
        EXPECT_EQ(record.result, c.result) << c.wParam;
    }
}

}  // namespace
