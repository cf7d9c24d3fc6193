#pragma once

#include <windows.h>

#include "framework/dialog_base.h"

namespace framework {

// A dialog that closes on IDOK and IDCANCEL: a modal one ends with 1 for IDOK and 0 for IDCANCEL, any other
// is destroyed. Only a wParam of exactly 1 or 2 counts (no notification code in the high word).
class OkCancelDialog : public DialogBase {
public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace framework
