// Call stubs, resolvers and fallback stubs of the host binding (32-bit x86,
// Windows). A call stub jumps through its slot and so leaves the caller's
// arguments, registers (ECX of a method call among them) and return address
// untouched; a resolver saves every general-purpose register, binds the
// entry, restores them and resumes the call stub.
//
// C symbols carry the leading underscore of this target; the call stubs are
// named exactly (entries.h gives them asm labels).
        .intel_syntax noprefix

        .data
        .balign 4
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
        .globl _korpus_slot_##name ; \
_korpus_slot_##name: .long _korpus_resolve_##name ;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY

        .text
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
        .globl korpus_call_##name ; \
        .def korpus_call_##name ; .scl 2 ; .type 32 ; .endef ; \
korpus_call_##name: \
        cmp dword ptr [_korpus_slot_##name], 0 ; \
        je 1f ; \
        jmp dword ptr [_korpus_slot_##name] ; \
1:      mov eax, ordinal ; \
        jmp korpus_abandon_call ; \
        .globl _korpus_resolve_##name ; \
        .def _korpus_resolve_##name ; .scl 2 ; .type 32 ; .endef ; \
_korpus_resolve_##name: \
        pushad ; \
        push offset _korpus_slot_##name ; \
        push ordinal ; \
        call _korpus_bind ; \
        add esp, 8 ; \
        popad ; \
        jmp korpus_call_##name ;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY

// Reached by a jump from a call stub whose slot is empty, with the ordinal
// in EAX and the caller's return address on top of the stack. The call is
// abandoned by korpus_abandon (ordinal, return address), which throws or,
// for a caller in the host, raises; the frame description lets the unwinder
// step from here straight into the caller of the entry.
        .def korpus_abandon_call ; .scl 3 ; .type 32 ; .endef
korpus_abandon_call:
        .cfi_startproc
        push dword ptr [esp]
        .cfi_adjust_cfa_offset 4
        push eax
        .cfi_adjust_cfa_offset 4
        call _korpus_abandon
        int3
        .cfi_endproc

// Fallback stub k returns 0 and removes k 32-bit arguments, as a
// callee-cleans entry of that many arguments would; stub 0 also serves
// every caller-cleans entry. An integer result is EDX:EAX; a real result is
// the top of the x87 stack, which the real variant pushes (0.0), so that
// the caller's pop finds it there and the stack stays balanced.
#define FALLBACK(k) \
        .globl _korpus_fallback_##k ; \
        .def _korpus_fallback_##k ; .scl 2 ; .type 32 ; .endef ; \
_korpus_fallback_##k: \
        xor eax, eax ; \
        xor edx, edx ; \
        ret 4 * k ; \
        .globl _korpus_fallback_real_##k ; \
        .def _korpus_fallback_real_##k ; .scl 2 ; .type 32 ; .endef ; \
_korpus_fallback_real_##k: \
        fldz ; \
        xor eax, eax ; \
        xor edx, edx ; \
        ret 4 * k ;
        .globl _korpus_fallback_0
        .def _korpus_fallback_0 ; .scl 2 ; .type 32 ; .endef
_korpus_fallback_0:
        xor eax, eax
        xor edx, edx
        ret
        .globl _korpus_fallback_real_0
        .def _korpus_fallback_real_0 ; .scl 2 ; .type 32 ; .endef
_korpus_fallback_real_0:
        fldz
        xor eax, eax
        xor edx, edx
        ret
FALLBACK(1) FALLBACK(2) FALLBACK(3) FALLBACK(4) FALLBACK(5)
FALLBACK(6) FALLBACK(7) FALLBACK(8) FALLBACK(9) FALLBACK(10)
FALLBACK(11) FALLBACK(12) FALLBACK(13) FALLBACK(14)
