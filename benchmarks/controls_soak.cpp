// Soak of every control of the library as a form hosts it: created through the library's class factory,
// loaded from stored properties, activated in place on a shown form, a few properties put by name,
// deactivated and released, many times over. After a warm-up the process's private bytes, handles,
// windows and (where the system counts them) GDI and USER objects may grow only within fixed bounds, and
// at the end the library must be free to unload with no window of its own left behind.
//
//   controls_soak.exe [cycles]     (default 10,000 per control)
//
// Bounds, for 10,000 cycles: whatever leaks once per cycle shows 10,000 times over, so a bound of a few
// dozen handles or GDI/USER objects and a few windows tells a leak from what a system makes once, lazily.
// Memory is read twice: the bytes every heap holds for live allocations, where one leaked byte per cycle
// shows as 10 KB and one leaked 8-byte block as 80 KB (bound 64 KB), and the committed private bytes,
// which move in whole pages as heaps grow and so also see what leaks outside them (bound 128 KB, 13
// bytes per cycle). Where the system keeps no count (Wine reports no PrivateUsage and no handle count),
// the soak counts itself and marks the figure. With fewer cycles the bounds stay and catch larger leaks.
#include "com_test_support.h"
#include "host/control_site.h"
#include "dravlix.h"
#include "services/font.h"
#include "test_support.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int kWarmUpCycles = 100;
constexpr long long kMaxPrivateGrowth = 128 * 1024;
constexpr long long kMaxHeapGrowth = 64 * 1024;
constexpr long long kMaxHandleGrowth = 32;
constexpr long long kMaxWindowGrowth = 4;
constexpr long long kMaxGuiObjectGrowth = 32;

struct Put {
    const wchar_t* name;
    Variant value;
    bool byRef = false;
};

struct Case {
    const char* name;
    const CLSID* clsid;
    int width, height; // twips
    std::vector<ActiveXControl::StoredProperty> stored;
    std::vector<Put> puts;
};

// A new font object, as a form stores it (an object) or as a caller puts it (a dispatch interface).
Variant Font(const wchar_t* face, float points, bool dispatch = false) {
    ComPtr<IFont> font = MakeFont({face, points, true});
    if (!dispatch) return Variant::Object(font.Get());
    Variant value;
    if (font && SUCCEEDED(font->QueryInterface(IID_PPV_ARGS(&value.get()->pdispVal))))
        value.get()->vt = VT_DISPATCH;
    return value;
}

std::vector<Case> Cases() {
    auto extent = [](LONG x, LONG y) {
        return std::vector<ActiveXControl::StoredProperty>{{L"_ExtentX", Variant::I4(x)},
                                                           {L"_ExtentY", Variant::I4(y)}};
    };
    auto with = [](std::vector<ActiveXControl::StoredProperty> a,
                   std::vector<ActiveXControl::StoredProperty> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    return {
        {"ColorButton",
         &CLSID_ColorButton,
         1215,
         375,
         with(extent(2143, 661), {{L"SelectedColor", Variant::I4(0xFF)}}),
         {{L"SelectedColor", Variant::I4(0x00FF00)}, {L"SelectedColor", Variant::I4(0x80000005)}}},
        {"ColorSelector",
         &CLSID_ColorSelector,
         1215,
         315,
         extent(2143, 556),
         {{L"SelectedColor", Variant::I2(3)}, {L"SelectedColor", Variant::I2(12)}}},
        {"ColorBrowser",
         &CLSID_ColorBrowser,
         3000,
         315,
         with(extent(5292, 556), {{L"AllowCustomColors", Variant::Bool(false)}}),
         {{L"SelectedColor", Variant::I4(0x123456)}, {L"AllowCustomColors", Variant::Bool(true)}}},
        {"FileBrowser",
         &CLSID_FileBrowser,
         3000,
         315,
         with(extent(5292, 556), {{L"Text", Variant::Str(L"C:\\data\\report.txt")},
                                  {L"Filter", Variant::Str(L"Text (*.txt)|*.txt")},
                                  {L"Font", Font(L"Tahoma", 9)}}),
         {{L"Text", Variant::Str(L"C:\\windows\\win.ini")},
          {L"FileDialogType", Variant::I4(1)},
          {L"Locked", Variant::Bool(true)},
          {L"BackColor", Variant::I4(0x00E0FFFF)}}},
        {"FolderBrowser",
         &CLSID_FolderBrowser,
         3000,
         315,
         with(extent(5292, 556),
              {{L"Text", Variant::Str(L"C:\\windows")}, {L"BackColor", Variant::I4(0x00FFFFE0)}}),
         {{L"Text", Variant::Str(L"C:\\users")},
          {L"Enabled", Variant::Bool(false)},
          {L"SelStart", Variant::I4(2)}}},
        {"FontBrowser",
         &CLSID_FontBrowser,
         3000,
         315,
         with(extent(5292, 556), {{L"ForeColor", Variant::I4(0x800000)}, {L"Font", Font(L"Tahoma", 10)}}),
         {{L"BackColor", Variant::I4(0x00F0F0F0)},
          {L"Font", Font(L"System", 12, true), true},
          {L"Enabled", Variant::Bool(false)}}},
        {"Hyperlink",
         &CLSID_Hyperlink,
         3375,
         255,
         with(extent(5953, 450), {{L"Caption", Variant::Str(L"Home page")},
                                  {L"Hyperlink", Variant::Str(L"https://quendral.example/")},
                                  {L"ForeColor", Variant::I4(0xFF0000)},
                                  {L"Font", Font(L"MS Sans Serif", 9.75f)}}),
         {{L"Caption", Variant::Str(L"Elsewhere")},
          {L"BackColor", Variant::I4(0)},
          {L"BorderStyle", Variant::I2(1)},
          {L"Enabled", Variant::Bool(false)}}},
        {"Label3D",
         &CLSID_Label3D,
         2400,
         480,
         with(extent(4233, 847), {{L"Caption", Variant::Str(L"Raised")},
                                  {L"ForeColor1", Variant::I4(0xFFFFFF)},
                                  {L"Alignment", Variant::I2(2)}}),
         {{L"Caption", Variant::Str(L"Sunken")},
          {L"Phase", Variant::I4(1)},
          {L"BackColor", Variant::I4(0x808080)},
          {L"BorderStyle", Variant::I4(1)}}},
        {"Splitter",
         &CLSID_Splitter,
         4000,
         2000,
         with(extent(7056, 3528),
              {{L"HorizontalSplit", Variant::Bool(true)}, {L"SplitPercent", Variant::I2(30)}}),
         {{L"SplitPercent", Variant::I2(70)},
          {L"SplitWidth", Variant::I2(8)},
          {L"HorizontalSplit", Variant::Bool(false)}}},
        {"TrayArea",
         &CLSID_TrayArea,
         480,
         480,
         with(extent(847, 847), {{L"ToolTip", Variant::Str(L"Soaking")}, {L"Visible", Variant::Bool(false)}}),
         {{L"ToolTip", Variant::Str(L"Still soaking")}, {L"Visible", Variant::Bool(true)}}},
    };
}

// Every window of this process: top-level ones with all their descendants, and message-only ones.
std::vector<HWND> ProcessWindows() {
    struct Walk {
        std::vector<HWND> found;
        static BOOL CALLBACK Child(HWND hwnd, LPARAM lp) {
            reinterpret_cast<Walk*>(lp)->found.push_back(hwnd);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND hwnd, LPARAM lp) {
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (process == GetCurrentProcessId()) Take(hwnd, lp);
            return TRUE;
        }
        static void Take(HWND hwnd, LPARAM lp) {
            Child(hwnd, lp);
            EnumChildWindows(hwnd, Child, lp);
        }
    } walk;
    EnumWindows(Walk::Top, reinterpret_cast<LPARAM>(&walk));
    for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) Walk::Take(w, reinterpret_cast<LPARAM>(&walk));
    }
    return walk.found;
}

int WindowsOf(HMODULE library) {
    int n = 0;
    for (HWND w : ProcessWindows())
        n += reinterpret_cast<HMODULE>(GetWindowLongPtrW(w, GWLP_HINSTANCE)) == library;
    return n;
}

// Committed private memory, counted region by region: what PrivateUsage reports where the system fills it.
long long CommittedPrivateBytes() {
    long long total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (auto* at = static_cast<char*>(nullptr); VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<long long>(region.RegionSize);
        if (region.RegionSize == 0) break;
    }
    return total;
}

// Bytes handed out by every heap of the process and not yet freed: a leaked allocation of any size shows
// here at once, where committed memory grows only when a heap runs out of pages already committed.
long long HeapBytesInUse() {
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    long long total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Open handles, counted by asking the system about each handle value in turn: what GetProcessHandleCount
// reports where the system fills it. Handle values are multiples of 4 and freed ones are reused first,
// so a long run of unused values means the table ends.
long long OpenHandles() {
    long long n = 0;
    DWORD flags;
    for (UINT_PTR value = 4, unused = 0; unused < 4096; value += 4) {
        bool open = GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
        n += open;
        unused = open ? 0 : unused + 1;
    }
    return n;
}

// Each figure from the system's own counter where it keeps one, else counted here (marked so).
struct Sample {
    long long privateBytes = 0, heapBytes = 0, handles = 0, windows = 0, gdi = 0, user = 0;
    bool privateCounted = false, handlesCounted = false;
};

Sample Measure() {
    Sample s;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory)))
        s.privateBytes = static_cast<long long>(memory.PrivateUsage);
    if (s.privateBytes == 0) {
        s.privateBytes = CommittedPrivateBytes();
        s.privateCounted = true;
    }
    s.heapBytes = HeapBytesInUse();
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles)) s.handles = handles;
    if (s.handles == 0) { // a running process holds some: zero means not counted
        s.handles = OpenHandles();
        s.handlesCounted = true;
    }
    s.windows = static_cast<long long>(ProcessWindows().size());
    s.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    s.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return s;
}

void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

// One cycle; the first failing step's status.
HRESULT Cycle(GetClassObjectFn getClassObject, test::HostForm& form, const Case& c) {
    ComPtr<IClassFactory> factory;
    RETURN_IF_FAILED(getClassObject(*c.clsid, IID_PPV_ARGS(&factory)));
    ComPtr<IUnknown> object;
    RETURN_IF_FAILED(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)));
    factory.Reset();
    ActiveXControl site(form, L"Soaked1");
    site.Move(120, 120, c.width, c.height);
    RETURN_IF_FAILED(site.Create(object.Get(), c.stored));
    for (const Put& put : c.puts)
        RETURN_IF_FAILED(test::PutProperty(object.Get(), put.name, put.value, put.byRef));
    Drain(); // painted, as a form shows it
    ComPtr<IOleInPlaceObject> inPlace;
    RETURN_IF_FAILED(object.As(&inPlace));
    return inPlace->InPlaceDeactivate();
}

struct Figure {
    const char* what;
    long long start, end, bound;
    bool reported, bytes;
};

std::string Size(long long bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
    return text;
}
} // namespace

int main(int argc, char** argv) {
    int cycles = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (cycles <= 0) {
        std::fprintf(stderr, "usage: controls_soak [cycles]\n");
        return 2;
    }
    std::wstring libraryPath = test::BinFolder() + L"Dravlix.ocx";
    HMODULE library = LoadLibraryW(libraryPath.c_str());
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    auto canUnloadNow =
        reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(GetProcAddress(library, "DllCanUnloadNow")));
    if (!library || !getClassObject || !canUnloadNow) {
        std::fprintf(stderr, "%s could not be loaded (error %lu)\n", test::Narrow(libraryPath).c_str(),
                     GetLastError());
        return 2;
    }

    OleInitialize(nullptr);
    bool broken = false;
    auto begin = std::chrono::steady_clock::now();
    {
        test::HostForm form;
        ShowWindow(form.hWnd(), SW_SHOWNA);
        Drain();
        const long long windowsBefore = static_cast<long long>(ProcessWindows().size());
        std::printf(
            "%d cycles per control after %d of warm-up; bounds on growth: private bytes %s, heap bytes %s, "
            "handles %lld, windows %lld, GDI and USER objects %lld each\n",
            cycles, kWarmUpCycles, Size(kMaxPrivateGrowth).c_str(), Size(kMaxHeapGrowth).c_str(),
            kMaxHandleGrowth, kMaxWindowGrowth, kMaxGuiObjectGrowth);
        for (const Case& c : Cases()) {
            std::printf("== %s\n", c.name);
            std::fflush(stdout);
            HRESULT hr = S_OK;
            for (int i = 0; i < kWarmUpCycles && SUCCEEDED(hr); ++i)
                hr = Cycle(getClassObject, form, c);
            Drain();
            Sample start = Measure();
            auto started = std::chrono::steady_clock::now();
            int done = 0;
            while (SUCCEEDED(hr) && done < cycles) {
                hr = Cycle(getClassObject, form, c);
                ++done;
            }
            Drain();
            Sample end = Measure();
            double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            if (FAILED(hr)) {
                std::printf("   FAILED: cycle %d ended with 0x%08lX\n", done, static_cast<unsigned long>(hr));
                broken = true;
            }
            std::printf("   %d cycles in %.1f s (%.2f ms each)\n", done, seconds,
                        done ? seconds * 1000 / done : 0.0);
            const Figure figures[] = {
                {start.privateCounted ? "private bytes*" : "private bytes", start.privateBytes,
                 end.privateBytes, kMaxPrivateGrowth, true, true},
                {"heap bytes", start.heapBytes, end.heapBytes, kMaxHeapGrowth, true, true},
                {start.handlesCounted ? "handles*" : "handles", start.handles, end.handles, kMaxHandleGrowth,
                 true, false},
                {"windows", start.windows, end.windows, kMaxWindowGrowth, true, false},
                {"GDI objects", start.gdi, end.gdi, kMaxGuiObjectGrowth, start.gdi || end.gdi, false},
                {"USER objects", start.user, end.user, kMaxGuiObjectGrowth, start.user || end.user, false},
            };
            for (const Figure& f : figures) {
                if (!f.reported) {
                    std::printf("   %-15s not reported\n", f.what);
                    continue;
                }
                bool over = f.end - f.start > f.bound;
                broken |= over;
                auto text = [&](long long n) { return f.bytes ? Size(n) : std::to_string(n); };
                std::printf("   %-15s start %12s  end %12s  growth %10s%s\n", f.what, text(f.start).c_str(),
                            text(f.end).c_str(), text(f.end - f.start).c_str(),
                            over ? "  OVER THE BOUND" : "");
            }
        }
        std::printf("(*: the system does not report it here, so the soak counts it itself)\n");
        Drain();
        // Every object of the library gone, and with it every window it made.
        HRESULT canUnload = canUnloadNow();
        int left = WindowsOf(library);
        long long windowsAfter = static_cast<long long>(ProcessWindows().size());
        std::printf("== at the end\n   DllCanUnloadNow: %s\n   windows of the library left: %d\n"
                    "   windows of the process: %lld before the first control, %lld now\n",
                    canUnload == S_OK ? "S_OK" : "S_FALSE (objects still alive)", left, windowsBefore,
                    windowsAfter);
        broken |= canUnload != S_OK || left != 0 || windowsAfter > windowsBefore + kMaxWindowGrowth;
    }
    OleUninitialize();
    std::printf("   total %.0f s; %s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(),
                broken ? "A BOUND WAS BROKEN" : "all within bounds");
    return broken ? 1 : 0;
}
