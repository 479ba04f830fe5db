// Calling conventions of the host boundary. Real on a 32-bit x86 build,
// where the host library's entries differ in who removes the arguments;
// on x86-64 there is one convention and the words vanish.
#pragma once

#if defined(__i386__)
#define KORPUS_CALLEE __attribute__((stdcall))
#define KORPUS_CALLER __attribute__((cdecl))
#define KORPUS_METHOD __attribute__((thiscall))
#else
#define KORPUS_CALLEE
#define KORPUS_CALLER
#define KORPUS_METHOD
#endif

// The three conventions by the token used in the entry table.
#define KORPUS_CONV_CALLEE KORPUS_CALLEE
#define KORPUS_CONV_CALLER KORPUS_CALLER
#define KORPUS_CONV_METHOD KORPUS_METHOD
