// Call stubs, resolvers and fallback stubs of the host binding (x86-64).
// A call stub jumps through its slot and so leaves the caller's arguments,
// registers and return address untouched (R11 is the one scratch register
// that carries nothing; AL holds a variadic call's vector register count);
// a resolver saves every argument register, binds the entry, restores them
// and resumes the call stub.
        .intel_syntax noprefix

        .data
        .balign 8
        .globl korpus_slots_begin
        .hidden korpus_slots_begin
korpus_slots_begin:
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
        .globl korpus_slot_##name ; .hidden korpus_slot_##name ; \
korpus_slot_##name: .quad korpus_resolve_##name ;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
        .globl korpus_slots_end
        .hidden korpus_slots_end
korpus_slots_end:

        .text
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
        .globl korpus_call_##name ; .hidden korpus_call_##name ; \
        .type korpus_call_##name, @function ; \
korpus_call_##name: \
        mov r11, qword ptr [rip + korpus_slot_##name] ; \
        test r11, r11 ; \
        jz 1f ; \
        jmp r11 ; \
1:      mov edi, ordinal ; \
        mov rsi, qword ptr [rsp] ; \
        jmp korpus_abandon ; \
        .size korpus_call_##name, . - korpus_call_##name ; \
        .globl korpus_resolve_##name ; .hidden korpus_resolve_##name ; \
        .type korpus_resolve_##name, @function ; \
korpus_resolve_##name: \
        push rdi ; push rsi ; push rdx ; push rcx ; push r8 ; push r9 ; \
        push rax ; push r10 ; push r11 ; \
        sub rsp, 128 ; \
        movdqu [rsp + 0], xmm0 ; movdqu [rsp + 16], xmm1 ; \
        movdqu [rsp + 32], xmm2 ; movdqu [rsp + 48], xmm3 ; \
        movdqu [rsp + 64], xmm4 ; movdqu [rsp + 80], xmm5 ; \
        movdqu [rsp + 96], xmm6 ; movdqu [rsp + 112], xmm7 ; \
        mov edi, ordinal ; \
        lea rsi, [rip + korpus_slot_##name] ; \
        call korpus_bind ; \
        movdqu xmm0, [rsp + 0] ; movdqu xmm1, [rsp + 16] ; \
        movdqu xmm2, [rsp + 32] ; movdqu xmm3, [rsp + 48] ; \
        movdqu xmm4, [rsp + 64] ; movdqu xmm5, [rsp + 80] ; \
        movdqu xmm6, [rsp + 96] ; movdqu xmm7, [rsp + 112] ; \
        add rsp, 128 ; \
        pop r11 ; pop r10 ; pop rax ; \
        pop r9 ; pop r8 ; pop rcx ; pop rdx ; pop rsi ; pop rdi ; \
        jmp korpus_call_##name ; \
        .size korpus_resolve_##name, . - korpus_resolve_##name ;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY

// Fallback stub k returns 0; on this machine the caller always removes its
// arguments, so the fifteen stubs differ only in their address. Both kinds
// clear every result register (RAX, RDX, XMM0, XMM1): the real variant
// exists so that each entry's fallback is of its result's kind, as on i686.
#define FALLBACK_BODY(label) \
        .globl label ; .hidden label ; \
        .type label, @function ; \
label: \
        xor eax, eax ; \
        xor edx, edx ; \
        pxor xmm0, xmm0 ; \
        pxor xmm1, xmm1 ; \
        ret ; \
        .size label, . - label ;
#define FALLBACK(k) FALLBACK_BODY(korpus_fallback_##k) FALLBACK_BODY(korpus_fallback_real_##k)
FALLBACK(0) FALLBACK(1) FALLBACK(2) FALLBACK(3) FALLBACK(4)
FALLBACK(5) FALLBACK(6) FALLBACK(7) FALLBACK(8) FALLBACK(9)
FALLBACK(10) FALLBACK(11) FALLBACK(12) FALLBACK(13) FALLBACK(14)

        .section .note.GNU-stack,"",@progbits
