#include "class_table.h"

#include "dravlix.h"
#include "hyperlink.h"

#include <iterator>

namespace {
// OLEMISC status every control publishes: recompose on resize, can't link inside, inside-out, activate when
// visible, set client site first.
constexpr DWORD kCommonStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kCommonStatus == 0x20191);
} // namespace

const ControlClass ControlClasses[] = {
    {&CLSID_Hyperlink, L"Hyperlink", 30004, kCommonStatus, CreateHyperlink},
};

const size_t ControlClassCount = std::size(ControlClasses);
