// The OLEMISC status words the controls publish, stated once for the registration and the controls.
#pragma once
#include <ole2.h>

// Every control: recompose on resize, can't link inside, inside-out, activate when visible, set client site
// first.
constexpr DWORD kCommonStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kCommonStatus == 0x20191);
constexpr DWORD kButtonStatus = kCommonStatus | OLEMISC_ACTSLIKEBUTTON;
constexpr DWORD kContainerStatus = kCommonStatus | OLEMISC_ALIGNABLE | OLEMISC_SIMPLEFRAME;
constexpr DWORD kInvisibleStatus = kCommonStatus | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_NOUIACTIVATE;
