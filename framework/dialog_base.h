#pragma once

// Dialogs made from dialog templates, modal or modeless, bound to their object like any framework window.

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/window_base.h"

namespace framework {

// The creation parameter of every framework dialog (the lParam of WM_INITDIALOG). It has the size and
// layout of the common controls' PROPSHEETPAGEA, whose lParam sits where the object pointer is; the shared
// procedure recognises it by its size field.
struct DialogCreateParam {
    static constexpr std::uint32_t kSize = 48;

    std::uint32_t size = kSize;
    std::uint8_t unused1[24] = {};
    WindowBase* object = nullptr;
    std::uint8_t unused2[16] = {};
};
static_assert(sizeof(DialogCreateParam) == 48, "DialogCreateParam must have the size of PROPSHEETPAGEA");
static_assert(offsetof(DialogCreateParam, object) == 28, "the object pointer sits where PROPSHEETPAGEA has lParam");

// SharedWindowProc with the DLGPROC signature, for DialogBoxParamA and CreateDialogParamA.
INT_PTR CALLBACK SharedDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A dialog: messages without a handler give 0 (not handled), so the dialog manager does its default work.
class DialogBase : public WindowBase {
public:
    // Only once the window is gone: a dialog keeps its binding while its window lives.
    void Detach() override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Makes the dialog of template `templateId` (null instance: this module). Modal: returns the value given
    // to EndDialog, or -1 when the dialog cannot be made. Modeless: 1 when the dialog window exists
    // afterwards, else 0. Either way -1 when this object already has a live window.
    int Open(bool modal, int templateId, HWND parent, HINSTANCE instance);
};

}  // namespace framework
