#pragma once

#include <windows.h>

// What peek and its hook procedure inside Quorvane agree on: the class of peek's message-only receiver window
// and the tag of the report it receives.
namespace menu_peek {

constexpr char kReceiverClass[] = "QuorvanePeekMenuReceiver";
constexpr ULONG_PTR kReport = 0x51504D52;  // "QPMR"

}  // namespace menu_peek
