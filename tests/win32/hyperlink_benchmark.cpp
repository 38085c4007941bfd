// Cost of a hosted Hyperlink against a plain child window: 1,000 of each made and destroyed one after the
// other on a shown form of ours (the control also loaded and activated in place), then what is left over.
// One at a time, because this platform's cost of hiding or destroying one of many visible siblings of a
// clipping parent grows with their number and would swamp what is measured.
#include "com_test_support.h"
#include "control_site.h"
#include "hyperlink.h"

#include <chrono>
#include <cstdio>

namespace {
constexpr int kCount = 1000;

int ChildCount(HWND parent) {
    int n = 0;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
    return n;
}

// GDI handles are slots of a table; a new object's slot shows how far the table reaches. Leaked objects
// push it further on every round, freed ones let it stay.
unsigned GdiSlot() {
    HBRUSH probe = CreateSolidBrush(0);
    unsigned slot = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF);
    DeleteObject(probe);
    return slot;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool HostOne(test::HostForm& form) {
    ComPtr<IUnknown> control;
    if (FAILED(CreateHyperlink(IID_PPV_ARGS(&control)))) return false;
    ActiveXControl site(form, L"Hyperlink1");
    site.Move(0, 0, 1890, 240);
    return SUCCEEDED(site.Create(control.Get(), {{L"caption", Variant::Str(L"Label1")}})) && site.hWnd();
}
} // namespace

int main() {
    OleInitialize(nullptr);
    int status = 0;
    {
        test::HostForm form;
        ShowWindow(form.hWnd(), SW_SHOWNA);
        test::Pump();
        HostOne(form); // classes, fonts and the type library loaded before timing
        int windowsBefore = ChildCount(form.hWnd());

        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCount; ++i)
            DestroyWindow(CreateWindowExW(0, L"STATIC", L"Label1", WS_CHILD | WS_VISIBLE, 0, 0, 126, 16, form.hWnd(),
                                          nullptr, nullptr, nullptr));
        auto plain = std::chrono::steady_clock::now() - start;

        start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCount; ++i)
            if (!HostOne(form)) status = 1;
        auto hosted = std::chrono::steady_clock::now() - start;

        test::Pump();
        unsigned slotAfterFirst = GdiSlot();
        for (int i = 0; i < kCount; ++i) HostOne(form);
        unsigned slotAfterSecond = GdiSlot();

        double ratio = Seconds(hosted) / Seconds(plain);
        std::printf("plain child windows: %d in %.3f s (%.0f us each)\n", kCount, Seconds(plain),
                    Seconds(plain) * 1e6 / kCount);
        std::printf("hosted Hyperlinks:   %d in %.3f s (%.0f us each: created, loaded, activated, closed)\n",
                    kCount, Seconds(hosted), Seconds(hosted) * 1e6 / kCount);
        std::printf("ratio: %.2f (goal: at most 2)\n", ratio);
        std::printf("left over: %d child windows, %ld library objects; GDI table slot %u after one round, %u after "
                    "another\n",
                    ChildCount(form.hWnd()) - windowsBefore, Module::LockCount(), slotAfterFirst, slotAfterSecond);
        if (ChildCount(form.hWnd()) != windowsBefore || Module::LockCount() != 0 ||
            slotAfterSecond > slotAfterFirst + 16)
            status = 1;
    }
    OleUninitialize();
    return status;
}
