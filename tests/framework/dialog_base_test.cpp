#include "framework/dialog_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/ok_cancel_dialog.h"
#include "framework/window_registry.h"
#include "tests/framework/dialog_driver.h"
#include "tests/framework/framework_test_dialogs.h"

namespace {

using framework::DialogBase;
using framework::OkCancelDialog;
using framework::WindowBase;
using framework::WindowRegistry;

// Notes every message that reaches the object and how the object was bound at WM_INITDIALOG.
class ProbeDialog : public OkCancelDialog {
public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        if (msg == WM_INITDIALOG) {
            kindAtInit = Kind();
            boundAtInit = WindowRegistry::Find(hwndRef) == this;
        }
        return OkCancelDialog::WindowProc(msg, wParam, lParam);
    }
    bool saw(UINT msg) const {
        return std::find(seen.begin(), seen.end(), msg) != seen.end();
    }

    std::vector<UINT> seen;
    int kindAtInit = -99;
    bool boundAtInit = false;
};

int openModal(DialogBase& dialog) {
    return dialog.Open(true, IDD_PROBE, nullptr, nullptr);
}

TEST(OkCancelDialogTest, ModalDialogEndsWithOneForOkAndZeroForCancel) {
    struct Case {
        const char* name;
        UINT msg;
        WPARAM wParam;
        int result;
    };
    const Case cases[] = {
        {"ok", WM_COMMAND, IDOK, 1},
        {"cancel", WM_COMMAND, IDCANCEL, 0},
        {"close box", WM_CLOSE, 0, 0},  // the dialog manager turns it into IDCANCEL
        // Notification code 1 in the high word is not IDOK: the dialog stays until the cancel that follows.
        {"accelerator 1", WM_COMMAND, MAKEWPARAM(IDOK, 1), 0},
    };
    for (const Case& c : cases) {
        ProbeDialog dialog;
        HWND shown = nullptr;
        testwin::DialogInitHook hook([&](HWND dlg) {
            shown = dlg;
            PostMessageA(dlg, c.msg, c.wParam, 0);
            testwin::postCommand(dlg, IDCANCEL);
        });
        EXPECT_EQ(openModal(dialog), c.result) << c.name;
        EXPECT_EQ(dialog.kindAtInit, WindowBase::kModalDialog) << c.name;
        EXPECT_TRUE(dialog.boundAtInit) << c.name;
        EXPECT_FALSE(IsWindow(shown)) << c.name;
        // The dialog saw its destruction, and nothing of it stays bound.
        EXPECT_TRUE(dialog.saw(WM_DESTROY)) << c.name;
        EXPECT_EQ(WindowRegistry::Find(shown), nullptr) << c.name;
        EXPECT_EQ(dialog.hwndRef, nullptr) << c.name;
    }
}

TEST(OkCancelDialogTest, OnlyExactOkAndCancelCloseTheDialog) {
    ProbeDialog dialog;
    ASSERT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), 1);
    HWND hwnd = dialog.hwndRef;

    EXPECT_EQ(dialog.WindowProc(WM_COMMAND, MAKEWPARAM(IDOK, 1), 0), 0);
    EXPECT_EQ(dialog.WindowProc(WM_COMMAND, MAKEWPARAM(IDCANCEL, 1), 0), 0);
    EXPECT_EQ(dialog.WindowProc(WM_COMMAND, IDC_PROBE_EDIT, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));

    EXPECT_EQ(dialog.WindowProc(WM_COMMAND, IDCANCEL, 0), 1);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(OkCancelDialogTest, ModelessDialogDestroyedByCancelOpensAgain) {
    ProbeDialog dialog;
    ASSERT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), 1);
    HWND first = dialog.hwndRef;
    EXPECT_EQ(dialog.Kind(), WindowBase::kModelessDialog);
    EXPECT_EQ(WindowRegistry::Find(first), &dialog);
    // Open refuses while the window lives.
    EXPECT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), -1);
    EXPECT_EQ(dialog.hwndRef, first);

    SendMessageA(first, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(dialog.saw(WM_DESTROY));
    EXPECT_EQ(WindowRegistry::Find(first), nullptr);

    ASSERT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), 1);
    EXPECT_TRUE(IsWindow(dialog.hwndRef));
    EXPECT_EQ(WindowRegistry::Find(dialog.hwndRef), &dialog);
    EXPECT_EQ(dialog.Kind(), WindowBase::kModelessDialog);
    DestroyWindow(dialog.hwndRef);
}

TEST(DialogBaseTest, MessageWithoutHandlerGivesZero) {
    DialogBase dialog;
    ASSERT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), 1);
    EXPECT_EQ(dialog.WindowProc(WM_GETTEXTLENGTH, 0, 0), 0);
    // A plain DialogBase does not close on IDOK.
    EXPECT_EQ(dialog.WindowProc(WM_COMMAND, IDOK, 0), 0);
    EXPECT_TRUE(IsWindow(dialog.hwndRef));
    DestroyWindow(dialog.hwndRef);
}

TEST(DialogBaseTest, DetachKeepsTheBindingOfALiveDialog) {
    DialogBase dialog;
    ASSERT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), 1);
    HWND hwnd = dialog.hwndRef;
    dialog.Detach();
    EXPECT_EQ(dialog.hwndRef, hwnd);
    EXPECT_EQ(WindowRegistry::Find(hwnd), &dialog);
    DestroyWindow(hwnd);
}

TEST(DialogBaseTest, MissingTemplate) {
    ProbeDialog dialog;
    EXPECT_EQ(dialog.Open(true, 999, nullptr, nullptr), -1);
    EXPECT_EQ(dialog.Open(false, 999, nullptr, nullptr), 0);
    EXPECT_EQ(dialog.hwndRef, nullptr);
}

TEST(SharedWindowProcTest, ForeignDialogParameterDestroysTheDialog) {
    ProbeDialog modeless;  // kind 2 once opened; here still unbound (-1)
    WindowBase plain;      // kind -1
    struct Case {
        const char* name;
        std::uint32_t size;
        WindowBase* object;
    };
    const Case cases[] = {
        {"wrong size", 40, &modeless},
        {"no object", 48, nullptr},
        {"object not opening a dialog", 48, &plain},
        {"dialog object not opening", 48, &modeless},
    };
    for (const Case& c : cases) {
        framework::DialogCreateParam param;
        param.size = c.size;
        param.object = c.object;
        const std::size_t before = WindowRegistry::Size();
        HWND made = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROBE), nullptr,
                                       framework::SharedDialogProc, reinterpret_cast<LPARAM>(&param));
        EXPECT_FALSE(made != nullptr && IsWindow(made)) << c.name;
        EXPECT_EQ(WindowRegistry::Size(), before) << c.name;
        EXPECT_TRUE(modeless.seen.empty()) << c.name;
    }
}

TEST(SharedWindowProcTest, DialogWithoutParameterGetsDefaultHandling) {
    HWND made = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROBE), nullptr,
                                   framework::SharedDialogProc, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(IsWindow(made));
    EXPECT_EQ(WindowRegistry::Find(made), nullptr);
    DestroyWindow(made);
}

TEST(OkCancelDialogTest, Screenshot) {
    ProbeDialog dialog;
    ASSERT_EQ(dialog.Open(false, IDD_PROBE, nullptr, nullptr), 1);
    SetDlgItemTextA(dialog.hwndRef, IDC_PROBE_EDIT, "framework");
    EXPECT_TRUE(testwin::savePicture(dialog.hwndRef, "framework-probe-dialog"));
    DestroyWindow(dialog.hwndRef);
}

}  // namespace
