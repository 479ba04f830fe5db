// Host entry 52255 of the fake host (callee-cleans, no arguments): records
// every general-purpose register as it finds them on entry, so that a test
// can tell whether the plug-in's resolver handed them on untouched.
        .intel_syntax noprefix
        .text
        .globl _FakeSignal
        .def _FakeSignal ; .scl 2 ; .type 32 ; .endef
_FakeSignal:
        mov [_fake_registers_at_signal + 0], eax
        mov [_fake_registers_at_signal + 4], ecx
        mov [_fake_registers_at_signal + 8], edx
        mov [_fake_registers_at_signal + 12], ebx
        mov [_fake_registers_at_signal + 16], esi
        mov [_fake_registers_at_signal + 20], edi
        mov [_fake_registers_at_signal + 24], ebp
        ret
