#include "framework/window_registry.h"

#include <cstdint>
#include <map>

namespace framework {

namespace {

// Keys compare as unsigned handle values. Built on first use, so windows may be made from static objects.
std::map<std::uintptr_t, WindowBase*>& bindings() {
    static std::map<std::uintptr_t, WindowBase*> map;
    return map;
}

std::uintptr_t keyOf(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

}  // namespace

WindowBase* WindowRegistry::Find(HWND hwnd) {
    auto found = bindings().find(keyOf(hwnd));
    return found == bindings().end() ? nullptr : found->second;
}

void WindowRegistry::Insert(HWND hwnd, WindowBase* object) {
    bindings().emplace(keyOf(hwnd), object);
}

void WindowRegistry::Remove(HWND hwnd) {
    bindings().erase(keyOf(hwnd));
}

std::size_t WindowRegistry::Size() {
    return bindings().size();
}

}  // namespace framework
